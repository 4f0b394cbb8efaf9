# Prints what an .xls file's records say about themselves, read the way a
# reader that trusts them would: the DIMENSIONS record, the shared string
# table's counts, and for each EXTSST bucket the string found at its stream
# offset and whether its in-record offset agrees (both counted from the start
# of the SST or CONTINUE record that holds the string, header included).
#   dimensions <first row> <last row + 1> <first column> <last column + 1> <record size>
#   sst <cells> <strings>
#   extsst <strings a bucket> <buckets>
#   bucket <index> <in-record offset right: 1 or 0> <string as JSON>
#   compound <major version> <mini stream cutoff> <Workbook stream size>
#   fonts <each font as xlrd reads it: name:height in twips:weight:colour index:
#          italic, struck out, outline, shadow as 0 or 1:escapement:underline:
#          family:character set>
#   sst_walk <strings read> <strings a strict reader trips on: a header cut by
#            a record's end, or no character after the header in its record>
import json
import struct
import sys

import xlrd.compdoc

data = open(sys.argv[1], "rb").read()
document = xlrd.compdoc.CompDoc(data, logfile=sys.stderr)
stream = document.get_named_stream("Workbook")
fonts = xlrd.open_workbook(sys.argv[1], formatting_info=True).font_list
print("fonts", *[":".join(str(v) for v in (
    font.name, font.height, font.weight, font.colour_index,
    f"{font.italic:d}{font.struck_out:d}{font.outline:d}{font.shadow:d}",
    font.escapement, font.underline_type, font.family, font.character_set)) for font in fonts])
sizes = [entry.tot_size for entry in document.dirlist if entry.name == "Workbook"]
print("compound", struct.unpack_from("<H", data, 0x1A)[0], struct.unpack_from("<I", data, 0x38)[0],
      sizes[0] if sizes else -1)

records = []  # (start, type, data)
at = 0
while at + 4 <= len(stream):
    kind, size = struct.unpack_from("<HH", stream, at)
    records.append((at, kind, stream[at + 4:at + 4 + size]))
    at += 4 + size


def holder(offset):
    for index, (start, kind, body) in enumerate(records):
        if start + 4 <= offset < start + 4 + len(body):
            return index
    return None


# A string with UTF-16 characters; one cut where its record ends goes on
# after the next record's header and options byte.
def string_at(index, offset):
    start, _, body = records[index]
    count = struct.unpack_from("<H", stream, offset)[0]
    wanted = 2 * count
    at = offset + 3
    units = b""
    while True:
        end = start + 4 + len(body)
        units += stream[at:min(end, at + wanted - len(units))]
        if len(units) == wanted or index + 1 == len(records):
            return units.decode("utf-16-le", "replace")
        index += 1
        start, _, body = records[index]
        at = start + 5


for start, kind, body in records:
    if kind == 0x0200:
        first, last, c0, c1 = struct.unpack_from("<IIHH", body)
        print("dimensions", first, last, c0, c1, len(body))
    elif kind == 0x00FC:
        print("sst", *struct.unpack_from("<II", body))
    elif kind == 0x00FF:
        bucket_size = struct.unpack_from("<H", body)[0]
        buckets = (len(body) - 2) // 8
        print("extsst", bucket_size, buckets)
        for i in range(buckets):
            offset, in_record = struct.unpack_from("<IH", body, 2 + 8 * i)
            index = holder(offset)
            if index is None:
                print("bucket", i, 0, '""')
                continue
            record_start, holder_kind, _ = records[index]
            right = holder_kind in (0x00FC, 0x003C) and offset - record_start == in_record
            text = string_at(index, offset)
            print("bucket", i, int(right), json.dumps(text, ensure_ascii=False))


def walk_strings():
    """(strings read, strings broken) walking the shared string table in turn."""
    index = next((i for i, r in enumerate(records) if r[1] == 0x00FC), None)
    if index is None:
        return 0, 0
    start, _, body = records[index]
    total = struct.unpack_from("<I", body, 4)[0]
    at, end = start + 12, start + 4 + len(body)
    read = broken = 0
    while read < total:
        if at == end:  # the next string starts a CONTINUE record, without an options byte
            index += 1
            if index == len(records) or records[index][1] != 0x003C:
                break
            start, _, body = records[index]
            at, end = start + 4, start + 4 + len(body)
            continue
        if at + 3 > end:
            return read, broken + 1
        left = 2 * struct.unpack_from("<H", stream, at)[0]
        at += 3
        broken += left > 0 and at == end
        while True:
            taken = min(left, end - at)
            at, left = at + taken, left - taken
            if not left:
                break
            index += 1  # the characters go on after the next record's options byte
            if index == len(records) or records[index][1] != 0x003C:
                return read, broken + 1
            start, _, body = records[index]
            at, end = start + 5, start + 4 + len(body)
        read += 1
    return read, broken


print("sst_walk", *walk_strings())
