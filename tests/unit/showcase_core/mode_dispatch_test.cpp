#include <gtest/gtest.h>

#include "common/Error.h"
#include "showcase/core/ModeDispatch.h"

using kv::SaverMode;

TEST(ModeDispatch, ChoosesTheWindowFromTheFirstArgument) {
    struct Case {
        std::vector<std::string> args;
        SaverMode mode;
        int32_t host;
    };
    const Case cases[] = {
        {{}, SaverMode::Show, 0},
        {{"/s"}, SaverMode::Show, 0},
        {{"/a"}, SaverMode::Show, 0},
        {{"/P", "1234"}, SaverMode::Show, 0},
        {{"/p:123"}, SaverMode::Show, 0},
        {{""}, SaverMode::Show, 0},
        {{"c"}, SaverMode::Show, 0},  // one character: no second character
        {{"/c"}, SaverMode::Configure, 0},
        {{"/C"}, SaverMode::Configure, 0},
        {{"/c:3344"}, SaverMode::Configure, 0},
        {{"-c", "99"}, SaverMode::Configure, 0},
        {{"xc"}, SaverMode::Configure, 0},
        {{"\xC3\xA9" "c"}, SaverMode::Configure, 0},  // the second character follows a two-byte first
        {{"/p", "1234"}, SaverMode::Preview, 1234},
        {{"/p", "-5"}, SaverMode::Preview, -5},
        {{"/p", "2147483647", "x"}, SaverMode::Preview, 2147483647},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += "[" + a + "]";
        kv::LaunchRequest r = kv::ParseSaverCommandLine(c.args);
        EXPECT_EQ(r.Mode, c.mode) << shown;
        EXPECT_EQ(r.HostWindow, c.host) << shown;
    }
}

TEST(ModeDispatch, BadPreviewHandleGivesTheConversionError) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/p"}, "'' is not a valid integer value"},
        {{"/p", "abc"}, "'abc' is not a valid integer value"},
        {{"/p", "12x"}, "'12x' is not a valid integer value"},
        {{"/p", "-"}, "'-' is not a valid integer value"},
        {{"/p", "2147483648"}, "'2147483648' is not a valid integer value"},
    };
    for (const auto& [args, message] : cases) {
        try {
            kv::ParseSaverCommandLine(args);
            ADD_FAILURE() << "no error for " << message;
        } catch (const kv::Error& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    EXPECT_EQ(kv::ParseInteger("-2147483648"), INT32_MIN);
}
