#!/usr/bin/env python3
"""Writes the sample service answers in this folder. The titles are invented.

Run from anywhere; the files land next to this script. The media samples
(video, avatar) come from make_media.sh.
"""
import json
import urllib.parse
import os

HERE = os.path.dirname(os.path.abspath(__file__))

WEIBO_TITLES = [
    "全国多地气温创下今冬新低", "高铁春运首日售票破千万张", "奶茶店推出冬至限定汤圆拿铁",
    "大学食堂阿姨手抖治好了", "男子雪地救下被困小狗", "国产大飞机完成高原试飞",
    "考研倒计时两周", "多地官宣元旦假期安排", "网友晒出家乡最美雪景",
    "地铁站惊现会说方言的机器人", "年度十大流行语出炉", "明星夫妇晒娃引热议",
    "外卖小哥深夜送药被点赞", "新能源车冬季续航实测", "熊猫幼崽第一次见到雪",
    "图书馆闭馆音乐火了", "这届年轻人开始攒金豆", "国产动画电影票房破十亿",
    "短视频平台整治虚假摆拍", "气象台发布寒潮蓝色预警", "医生提醒冬季注意心脑血管",
    "小学生自制天气预报视频走红", "春节档新片定档", "网红景区排队三小时",
    "省博物馆文创冰箱贴卖断货", "高校开设网球选修课爆满", "城市夜跑团人数翻倍",
    "程序员用代码写情书", "乡村教师坚守山区二十年", "老人在公园教外国游客打太极",
    "航天员出舱画面公布", "暖气到底开多少度合适", "年终奖你拿到了吗",
    "宠物医院收费标准引争议", "咖啡馆老板收留流浪猫", "高速服务区变身美食打卡地",
    "大熊猫基地门票预约已满", "冬季露营装备选购指南", "一家三代人同上一所大学",
    "跨年晚会节目单公布", "返乡大学生直播卖家乡特产", "雾凇奇观再现松花江畔",
    "银行下调存款利率", "国足新一期集训名单", "电动自行车新规下月实施",
    "外地游客被东北热情整破防", "地方美食申遗成功", "手机信号满格却上不了网",
    "一起来听雪落的声音 \U0001F328", "今日冬至 吃饺子还是汤圆",
]
WEIBO_ICONS = {
    0: "https://simg.s.weibo.com/moter/flags/search_stick.png",
    1: "https://simg.s.weibo.com/moter/flags/search_boom_small.png",
    2: "https://simg.s.weibo.com/moter/flags/search_fei_small.png",
    3: "https://simg.s.weibo.com/moter/flags/search_hot_small.png",
    5: "https://simg.s.weibo.com/moter/flags/search_new_small.png",
    8: "https://simg.s.weibo.com/moter/flags/search_jian_yellow_small.png",
    9: "https://simg.s.weibo.com/moter/flags/search_hot_small.png",
    12: "https://simg.s.weibo.com/moter/flags/search_new_small.png",
    20: "https://simg.s.weibo.com/moter/flags/search_rare.png",
}

BAIDU_ENTRIES = [
    ("国家出台稳就业新举措", "3", "多部门联合发布通知，加大对高校毕业生和农民工就业的支持力度。"),
    ("北方大范围降雪来袭", "3", "中央气象台预计，未来三天华北、东北将迎来明显降雪和降温。"),
    ("新版个税APP上线", "1", "新版本优化了专项附加扣除填报流程，年度汇算更方便。"),
    ("冬季流感进入高发期", "0", "专家建议老人和儿童尽早接种疫苗，外出佩戴口罩。"),
    ("国产手机新品发布会", "1", "新机搭载自研芯片，起售价引发网友热烈讨论。"),
    ("春运火车票开售", "3", "今年春运预计发送旅客人次创历史新高，热门线路一票难求。"),
    ("城市公园冰雪节开幕", "0", "冰雕、雪滑梯等项目吸引大批市民和游客前往。"),
    ("多所高校公布寒假时间", "0", "部分高校寒假长达五周，学生纷纷晒出放假安排。"),
    ("博物馆夜场开放", "1", "延时开放期间推出沉浸式导览，门票需提前预约。"),
    ("新能源汽车下乡活动启动", "0", "活动覆盖多个省份，购车可享补贴和充电优惠。"),
    ("考古新发现刷新认知", "3", "一处遗址出土大量精美玉器，年代距今约五千年。"),
    ("一线城市房贷利率下调", "0", "多家银行调整首套房贷款利率，购房者关注度上升。"),
    ("外卖平台推出暖心计划", "0", "平台为骑手提供冬季防寒物资和休息驿站。"),
    ("跨年烟花秀取消", "0", "出于安全考虑，今年将以灯光秀代替烟花表演。"),
    ("航班延误赔偿新规", "1", "新规明确了延误赔偿标准，旅客维权有据可依。"),
    ("中小学生体质健康报告", "0", "报告显示近视率有所下降，体育锻炼时间明显增加。"),
    ("国产游戏海外走红", "0", "这款游戏上线一周下载量突破千万，好评率超过九成。"),
    ("冷链物流价格上涨", "0", "年货采购季到来，生鲜运输需求大幅增加。"),
    ("景区推出免费开放日", "1", "每月第一个周一对市民免费开放，需实名预约。"),
    ("职业教育改革新方案", "0", "方案提出推进产教融合，扩大优质职业教育资源。"),
    ("医保目录新增药品", "3", "新增药品涵盖肿瘤、罕见病等领域，平均降价超过六成。"),
    ("马拉松报名人数创纪录", "0", "赛事组委会表示将通过抽签确定参赛名单。"),
    ("老字号餐厅排起长队", "0", "冬至前后，饺子和汤圆成为最受欢迎的菜品。"),
    ("快递业务量再创新高", "0", "年末购物节带动包裹数量增长，快递员加班加点。"),
    ("乡村振兴典型案例发布", "0", "各地因地制宜发展特色产业，带动村民增收。"),
    ("天文爱好者拍到流星雨", "1", "双子座流星雨如约而至，多地网友晒出拍摄作品。"),
    ("图书销售榜单公布", "0", "文学类和科普类图书销量领先，年轻读者占比提高。"),
    ("地铁新线路开通运营", "3", "新线路连接城区和机场，通勤时间缩短近半小时。"),
    ("网络安全宣传周", "0", "专家提醒警惕冒充客服诈骗，不要轻信陌生链接。"),
    ("年末消费市场回暖", "0", "商场客流量明显增加，餐饮和文旅消费表现亮眼。"),
]

TOUTIAO_WORDS = [
    "%E5%85%A8%E5%9B%BD%E5%A4%9A%E5%9C%B0%E8%BF%8E%E6%9D%A5%E9%99%8D%E9%9B%AA",  # 全国多地迎来降雪
    "春运抢票攻略",
    "%E6%96%B0%E8%83%BD%E6%BA%90%E8%BD%A6+%E5%86%AC%E5%AD%A3%E7%BB%AD%E8%88%AA",  # 新能源车 冬季续航
    "国产大飞机交付",
    "元旦假期+出行提示",
    "冬至习俗",
    "%E8%80%83%E7%A0%94%E5%80%92%E8%AE%A1%E6%97%B6",  # 考研倒计时
    "博物馆文创",
    "跨年晚会节目单",
    "寒潮预警",
]

DOUYIN_TITLES = [
    "雪地里的冬日vlog", "冬至包饺子大赛", "全网最火的变装挑战", "萌宠第一次见雪",
    "东北大哥的热情", "城市夜景延时摄影", "高铁上的暖心一幕", "奶奶的拿手菜",
    "跨年倒计时", "街头篮球高手", "考研人的一天", "乡村美食记",
    "国风舞蹈翻跳", "雾凇仙境", "冰雪大世界开园", "宿舍神仙改造",
    "外卖小哥的温暖", "一秒入冬", "打工人的早餐", "熊猫吃竹子合集",
    "山区孩子的梦想", "寒假作业名场面", "冬日穿搭分享", "烤红薯的香味",
    "滑雪初体验", "年终总结挑战", "家乡的年味", "菜市场烟火气",
    "猫咪迷惑行为", "大学生返乡记", "手工剪纸教程", "极光下的露营",
    "健身打卡第一百天", "老街的手艺人", "火锅配雪景", "小朋友的新年愿望",
    "冰上钓鱼", "地铁里的歌声", "花式跳绳", "围炉煮茶",
    "新年第一场雪", "非遗技艺传承", "街头采访有多难", "狗狗的冬装",
    "晨跑遇见日出", "一碗热汤面", "夜市美食探店", "冬天的第一杯奶茶",
    "回家过年", "祝大家新年快乐",
]


def write(name, text):
    with open(os.path.join(HERE, name), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def weibo_page(titles):
    group = []
    for k, title in enumerate(titles):
        group.append({
            "card_type": 4,
            "desc": title,
            "icon": WEIBO_ICONS.get(k, ""),
            "scheme": "sinaweibo://searchall?q=%23" + str(k) + "%23",
            "actionlog": {"act_code": 3008, "fid": "106003type=25", "ext": "rank:" + str(k)},
        })
    return json.dumps({
        "cardlistInfo": {"v_p": 42, "containerid": "106003type=25&filter_type=realtimehot",
                         "title_top": "实时热点", "page": None},
        "cards": [{"card_type": 11, "title": "实时热点，每分钟更新一次", "card_group": group}],
        "showAppTips": 0,
    }, indent=1) + "\n"


def baidu_page(entries, shape="documented"):
    content = []
    for k, (word, tag, desc) in enumerate(entries):
        content.append({
            "appUrl": "https://www.baidu.com/s?wd=" + word, "desc": desc, "hotChange": "same",
            "hotScore": str(4999000 - k * 91357), "hotTag": tag, "img": "", "index": k,
            "indexUrl": "", "query": word, "rawUrl": "https://www.baidu.com/s?wd=" + word,
            "show": [], "url": "https://www.baidu.com/s?wd=" + word, "word": word,
        })
    data = {"data": {"cards": [{"component": "hotList", "content": content, "more": 1,
                                "text": "实时热点", "typeName": "realtime"}],
                     "curBoardName": "热搜", "logid": "3819426407", "platform": "pc"}}
    if shape == "nested":  # the entries one level further down
        data["data"]["cards"][0]["content"] = [{"content": content, "topContent": []}]
    elif shape == "top":  # the cards at the top level
        data = {"cards": data["data"]["cards"], "logid": "3819426407"}
    return """<!doctype html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>百度热搜</title>
<link rel="stylesheet" href="/static/board.css">
<script>window.__board_config = {"tab": "realtime", "fold": false};</script>
</head>
<body>
<div id="sanRoot"><!--s-data:""" + json.dumps(data, ensure_ascii=False, separators=(",", ":")) + \
        """--> <div class="bg-wrapper"><div class="header">百度热搜</div>
<div class="list" data-tab="realtime"><!-- 列表由脚本渲染 --></div>
</div></div>
<script src="/static/board.js"></script>
</body>
</html>
"""


def toutiao_answer(words):
    items = [{"word": w, "id": str(7310000000000000000 + i), "link": "",
              "params": {"fake_click_cnt": 0, "impr_id": "20231221%s" % i}} for i, w in enumerate(words)]
    body = json.dumps({"data": [{"words": items, "msg": "success", "sub_type": 0}], "err_no": 0,
                       "msg": ""}, ensure_ascii=False, separators=(",", ":"))
    return body + "\n"


def douyin_billboard(titles):
    data = []
    for k, title in enumerate(titles):
        extra = []
        for j in range((k * 7 + 3) % 4):  # 0 to 3 related videos
            vid = "73%017d" % (k * 10 + j + 1)
            extra.append({"link": "https://www.iesdouyin.com/share/video/%s/?region=CN&mid=%s" % (vid, vid),
                          "img_url": "https://p3.douyinpic.com/img/tos-cn-p-0015/%s~noop.jpeg" % vid})
        data.append({"title": title, "value": str(12000000 - k * 187331), "link": "",
                     "img_url": "", "extra_list": extra})
    return json.dumps({"status_code": 0, "billboard_data": data, "extra": {"now": 1703138400000}},
                      ensure_ascii=False, indent=1) + "\n"


def weibo_side_hot(titles):
    labels = ["热", "新", "", "爆", "沸", ""]
    realtime = []
    for k, title in enumerate(titles):
        realtime.append({"word": title, "word_scheme": "#" + title + "#", "num": 3000000 - k * 41235,
                         "label_name": labels[k % len(labels)], "rank": k, "realpos": k + 1})
        if k == 4:  # advertisements sit among the entries and are no entry of the list
            realtime.append({"word": "推广：冬季新品上市", "is_ad": 1, "label_name": "荐",
                             "num": 0, "rank": k})
    return json.dumps({"ok": 1, "data": {"realtime": realtime, "hotgovs": []}},
                      ensure_ascii=False, indent=1) + "\n"


def toutiao_hot_board(words):
    data = [{"ClusterId": 7320000000000000000 + i, "ClusterIdStr": str(7320000000000000000 + i),
             "Title": urllib.parse.unquote_plus(w), "HotValue": str(9000000 - i * 12345), "Label": "hot" if i < 3 else ""}
            for i, w in enumerate(words)]
    return json.dumps({"data": data, "fixed_top_data": [], "status": "success"},
                      ensure_ascii=False, indent=1) + "\n"


def douyin_word_list(titles):
    words = [{"word": t, "sentence_id": str(2100000 + k), "hot_value": 12000000 - k * 187331,
              "position": k + 1, "word_type": 1} for k, t in enumerate(titles)]
    return json.dumps({"status_code": 0, "data": {"word_list": words, "trending_list": []}},
                      ensure_ascii=False, indent=1) + "\n"


TOUTIAO_SEARCH = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>搜索结果</title></head>
<body><div class="result-content">
<div class="cs-card"><a href="/search/jump?url=http%3A%2F%2F@HOST@%2Farticle%2F7314159265358979%2F&amp;aid=4916&amp;jtoken=7a1c">春运抢票攻略：这些时间节点要记牢</a></div>
<div class="cs-card"><a href="/search/jump?url=http%3A%2F%2F@HOST@%2Farticle%2F7312718281828459%2F&amp;aid=4916&amp;jtoken=99be">春运首日：铁路发送旅客创新高</a></div>
<div class="cs-card"><a href="/search/jump?url=http%3A%2F%2F@HOST@%2Fvideo%2F7311414213562373%2F&amp;aid=4916">视频：火车站里的返乡人</a></div>
</div></body></html>
"""

DOUYIN_ITEM = {
    "status_code": 0,
    "item_list": [{
        "aweme_id": "@ID@", "desc": "冬天的第一场雪，和家人一起堆了一个大雪人 #雪景 #冬日vlog",
        "create_time": 1703131200,
        "author": {"uid": "58246913570", "nickname": "小雪的日常", "unique_id": "xiaoxue_daily",
                   "avatar_thumb": {"url_list": ["@BASE@/demo/avatar.jpg"]}},
        "video": {"play_addr": {"url_list": ["@BASE@/aweme/v1/playwm/?video_id=v0200fg10000demo&ratio=720p&line=0"]},
                  "cover": {"url_list": ["@BASE@/demo/avatar.jpg"]}, "duration": 4000},
        "statistics": {"aweme_id": "@ID@", "comment_count": 8765, "digg_count": 123456,
                       "play_count": 0, "share_count": 321},
    }],
}

DOUYIN_USER = {
    "status_code": 0,
    "user_info": {"uid": "58246913570", "nickname": "小雪的日常", "unique_id": "xiaoxue_daily",
                  "signature": "记录生活里的小美好", "custom_verify": "", "aweme_count": 218,
                  "favoriting_count": 1034, "follower_count": 86012, "following_count": 97,
                  "avatar_larger": {"url_list": ["@BASE@/demo/avatar.jpg"]}},
}

if __name__ == "__main__":
    assert len(WEIBO_TITLES) == 50 and len(DOUYIN_TITLES) == 50
    write("weibo_hot.json", weibo_page(WEIBO_TITLES))
    write("baidu_board.html", baidu_page(BAIDU_ENTRIES))
    write("toutiao_words.json", toutiao_answer(TOUTIAO_WORDS))
    write("douyin_billboard.json", douyin_billboard(DOUYIN_TITLES))
    write("toutiao_search.html", TOUTIAO_SEARCH)
    # What the fallback requests answer.
    write("weibo_side_hot.json", weibo_side_hot(WEIBO_TITLES))
    write("baidu_board_nested.html", baidu_page(BAIDU_ENTRIES, "nested"))
    write("baidu_board_top.html", baidu_page(BAIDU_ENTRIES, "top"))
    write("toutiao_hot_board.json", toutiao_hot_board(TOUTIAO_WORDS))
    write("douyin_word_list.json", douyin_word_list(DOUYIN_TITLES))
    write("douyin_item.json", json.dumps(DOUYIN_ITEM, ensure_ascii=False, indent=1) + "\n")
    write("douyin_user.json", json.dumps(DOUYIN_USER, ensure_ascii=False, indent=1) + "\n")
