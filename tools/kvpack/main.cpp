// kvpack: makes, inspects and unpacks Kestrelview screensaver files.
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "common/Args.h"
#include "common/Error.h"
#include "tools/kvpack/Cli.h"
#include "tools/kvpack/Commands.h"

namespace {

struct Command {
    const char* Name;
    const char* Summary;
    std::function<int(const std::vector<std::string>&)> Run;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"build", "pictures, music and Flash movies -> a screensaver file", kvpack::BuildCommand},
        {"installer", "a screensaver file -> an installer that puts it on a Windows machine", kvpack::InstallerCommand},
        {"inspect", "what a screensaver or installer file holds", kvpack::InspectCommand},
        {"extract", "write a screensaver file's media files into a folder", kvpack::ExtractCommand},
        {"styles", "the 150 transition styles", kvpack::StylesCommand},
        {"render", "one frame of a transition style as a picture", kvpack::RenderCommand},
        {"animate", "a whole transition through the player, every frame as a picture", kvpack::AnimateCommand},
        {"frame", "the picture frame a tile makes, with the show area's margins", kvpack::FrameCommand},
    };
    return commands;
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: kvpack COMMAND [OPTIONS]\n\ncommands:\n");
    for (const auto& c : Commands()) std::fprintf(out, "  %-9s %s\n", c.Name, c.Summary);
    std::fprintf(out, "\n'kvpack COMMAND --help' describes a command.\n");
}

int Run(const std::vector<std::string>& argv) {
    std::vector<std::string> args(argv.begin() + (argv.empty() ? 0 : 1), argv.end());
    if (args.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(stdout);
        return 0;
    }
    for (const auto& c : Commands()) {
        if (args[0] != c.Name) continue;
        try {
            return c.Run(std::vector<std::string>(args.begin() + 1, args.end()));
        } catch (const kvpack::UsageError& e) {
            std::fprintf(stderr, "kvpack %s: %s\n", c.Name, e.what());
            return 2;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "kvpack %s: %s\n", c.Name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "kvpack: unknown command '%s' (try kvpack --help)\n", args[0].c_str());
    return 2;
}

}  // namespace

KV_UTF8_MAIN(Run)
