#pragma once
// kvart: makes the pictures that the windows carry (installer face, buttons, icons, the
// dialog's samples and skin) from photographs, with our own raster code. Each picture
// family is a command in its own file, registered with KV_ART_COMMAND.
#include <functional>
#include <string>
#include <vector>

namespace kv::art {

using ArtCommand = std::function<int(const std::vector<std::string>& args)>;

struct ArtCommandInfo {
    std::string Name;
    std::string Summary;
    ArtCommand Run;
};

std::vector<ArtCommandInfo>& ArtCommands();

struct ArtCommandRegistration {
    ArtCommandRegistration(std::string name, std::string summary, ArtCommand run) {
        ArtCommands().push_back({std::move(name), std::move(summary), std::move(run)});
    }
};

}  // namespace kv::art

#define KV_ART_COMMAND_JOIN2(a, b) a##b
#define KV_ART_COMMAND_JOIN(a, b) KV_ART_COMMAND_JOIN2(a, b)
// KV_ART_COMMAND("name", "one line of help", function taking the arguments after the name)
#define KV_ART_COMMAND(name, summary, fn) \
    static ::kv::art::ArtCommandRegistration KV_ART_COMMAND_JOIN(kvArtCommand, __LINE__)(name, summary, fn)
