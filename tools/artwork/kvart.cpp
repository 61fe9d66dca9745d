// kvart COMMAND ARGS...: runs one of the registered artwork commands.
#include <cstdio>
#include <exception>

#include "ArtCommands.h"

namespace kv::art {
std::vector<ArtCommandInfo>& ArtCommands() {
    static std::vector<ArtCommandInfo> commands;
    return commands;
}
}  // namespace kv::art

int main(int argc, char** argv) {
    auto& commands = kv::art::ArtCommands();
    if (argc >= 2) {
        for (const auto& c : commands) {
            if (c.Name == argv[1]) {
                try {
                    return c.Run(std::vector<std::string>(argv + 2, argv + argc));
                } catch (const std::exception& e) {
                    std::fprintf(stderr, "kvart %s: %s\n", argv[1], e.what());
                    return 1;
                }
            }
        }
    }
    std::fprintf(stderr, "usage: kvart COMMAND ARGS...\n\ncommands:\n");
    for (const auto& c : commands) std::fprintf(stderr, "  %-12s %s\n", c.Name.c_str(), c.Summary.c_str());
    return 2;
}
