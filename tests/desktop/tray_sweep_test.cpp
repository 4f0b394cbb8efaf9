#include "desktop/tray_sweep.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantrel {
namespace {

TEST(OsVersionCode, NtLineNineXLineAndOthers) {
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 10, 0}), 10);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 6, 1}), 9);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 6, 4}), 12);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 6, 5}), 6);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 5, 2}), 7);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 5, 1}), 6);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 5, 0}), 5);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 4, 0}), 4);
    EXPECT_EQ(OsVersionCode({OsLine::kNt, 3, 51}), 4);
    EXPECT_EQ(OsVersionCode({OsLine::k9x, 4, 0}), 1);
    EXPECT_EQ(OsVersionCode({OsLine::k9x, 4, 10}), 2);
    EXPECT_EQ(OsVersionCode({OsLine::k9x, 4, 90}), 3);
    EXPECT_EQ(OsVersionCode({}), 0);
}

// A toolbar of another process as the sweep sees it: buttons whose data word points at
// an owner record holding the owner window, and the set of windows still alive.
class FakeToolbar : public TrayToolbar {
  public:
    // One button per entry: its owner window, or 0 for a button without an owner record.
    FakeToolbar(std::vector<std::uint32_t> owners, std::set<std::uint32_t> alive)
        : alive_(std::move(alive)) {
        for (std::uint32_t owner : owners) {
            const std::uint32_t address = owner ? 0x1000 + 0x40 * owner : TRAY_NO_OWNER;
            if (owner) memory_[address] = Words(owner, 0);
            buttons_.push_back(Words(0, address));
        }
    }

    int ButtonCount() override {
        ++counts;
        return static_cast<int>(buttons_.size());
    }
    bool Attach() override {
        log += "attach ";
        return attachable;
    }
    void Detach() override { log += "detach"; }
    std::optional<Record> Button(int index) override {
        if (index == failAt) return std::nullopt;
        return buttons_.at(static_cast<std::size_t>(index));
    }
    std::optional<Record> Read(std::uint32_t address) override {
        const auto found = memory_.find(address);
        if (found == memory_.end()) return std::nullopt;
        return found->second;
    }
    bool WindowExists(std::uint32_t window) override { return alive_.count(window) != 0; }
    void DeleteButton(int index) override {
        log += "delete" + std::to_string(index) + " ";
        buttons_.erase(buttons_.begin() + index);
    }

    int counts = 0;
    bool attachable = true;
    int failAt = -1;
    std::string log;

  private:
    // A record with `first` in bytes 0..3 and `data` in bytes 16..19, little-endian.
    static Record Words(std::uint32_t first, std::uint32_t data) {
        Record r{};
        for (int i = 0; i < 4; ++i) {
            r[i] = static_cast<std::uint8_t>(first >> (8 * i));
            r[16 + i] = static_cast<std::uint8_t>(data >> (8 * i));
        }
        return r;
    }

    std::vector<Record> buttons_;
    std::map<std::uint32_t, Record> memory_;
    std::set<std::uint32_t> alive_;
};

TEST(TraySweep, DeletesDeadOwnersFromTheEndAndKeepsTheRest) {
    // Buttons 1 and 3 belong to dead windows, 2 has no owner record.
    FakeToolbar toolbar({7, 8, 0, 9, 7}, {7});
    EXPECT_EQ(SweepTrayToolbar(toolbar), 2);
    EXPECT_EQ(toolbar.log, "attach delete3 delete1 detach");
    EXPECT_EQ(toolbar.counts, 1);
    EXPECT_EQ(toolbar.ButtonCount(), 3);

    FakeToolbar living({7, 0, 7}, {7});
    EXPECT_EQ(SweepTrayToolbar(living), 0);
    EXPECT_EQ(living.log, "attach detach");
}

TEST(TraySweep, AFailedStepEndsTheSweepOfThatToolbar) {
    FakeToolbar empty({}, {});
    EXPECT_EQ(SweepTrayToolbar(empty), 0);
    EXPECT_EQ(empty.log, "");  // nothing to sweep: the process is never opened

    FakeToolbar closed({8}, {});
    closed.attachable = false;
    EXPECT_EQ(SweepTrayToolbar(closed), 0);
    EXPECT_EQ(closed.log, "attach ");

    FakeToolbar unreadable({8, 9, 8}, {});
    unreadable.failAt = 1;
    EXPECT_EQ(SweepTrayToolbar(unreadable), 1);
    EXPECT_EQ(unreadable.log, "attach delete2 detach");
}

class FakePlatform : public TrayPlatform {
  public:
    explicit FakePlatform(OsVersion version) : version_(version) {}
    OsVersion Version() override { return version_; }
    std::unique_ptr<TrayToolbar> NotificationToolbar() override { return Toolbar("notify "); }
    std::unique_ptr<TrayToolbar> OverflowToolbar() override { return Toolbar("overflow "); }

    std::string swept;  // the toolbars whose dead button was deleted, in turn

  private:
    // One button of a dead owner; says when it goes whether it was swept.
    class Toolbar1 : public FakeToolbar {
      public:
        Toolbar1(std::string& swept, const char* name)
            : FakeToolbar({1}, {}), swept_(swept), name_(name) {}
        ~Toolbar1() override {
            if (log.find("delete0") != std::string::npos) swept_ += name_;
        }

      private:
        std::string& swept_;
        const char* name_;
    };

    std::unique_ptr<TrayToolbar> Toolbar(const char* name) {
        return std::make_unique<Toolbar1>(swept, name);
    }
    OsVersion version_;
};

TEST(TraySweep, VersionDecidesWhichToolbarsAreSwept) {
    const struct {
        OsVersion version;
        const char* swept;
    } cases[] = {{{OsLine::kNt, 10, 0}, "notify overflow "},
                 {{OsLine::kNt, 6, 1}, "notify overflow "},
                 {{OsLine::kNt, 5, 1}, "notify "},
                 {{OsLine::kNt, 5, 0}, ""},
                 {{OsLine::k9x, 4, 90}, ""},
                 {{}, ""}};
    for (const auto& c : cases) {
        FakePlatform platform(c.version);
        SweepTrayIcons(platform);
        EXPECT_EQ(platform.swept, c.swept) << c.version.major << "." << c.version.minor;
    }
    // This platform has no toolbar; the sweep must simply find nothing.
    EXPECT_EQ(SystemTrayPlatform().NotificationToolbar(), nullptr);
    SweepTrayIcons();
}

}  // namespace
}  // namespace vantrel
