#include "tools/kvpack/Cli.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define KV_ISATTY _isatty
#define KV_FILENO _fileno
#else
#include <unistd.h>
#define KV_ISATTY isatty
#define KV_FILENO fileno
#endif

namespace kvpack {

ParsedArgs::ParsedArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help_ = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            positional_.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* option = nullptr;
        for (const auto& s : specs)
            if (s.Name == name) option = &s;
        if (!option) throw UsageError("unknown option " + arg);
        if (values_.count(name) && option->Kind != OptionKind::List)
            throw UsageError("--" + name + " is given more than once");
        auto& slot = values_[name];
        switch (option->Kind) {
        case OptionKind::Flag:
            if (inlineValue) throw UsageError("--" + name + " takes no value");
            break;
        case OptionKind::Value:
            if (inlineValue) {
                slot.push_back(*inlineValue);
            } else {
                if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)
                    throw UsageError("--" + name + " needs a value");
                slot.push_back(args[++i]);
            }
            break;
        case OptionKind::List:
            if (inlineValue) slot.push_back(*inlineValue);
            while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) slot.push_back(args[++i]);
            if (slot.empty()) throw UsageError("--" + name + " needs at least one value");
            break;
        }
    }
}

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end() || it->second.empty()) return std::nullopt;
    return it->second.front();
}

std::string ParsedArgs::Required(const std::string& name) const {
    auto v = Value(name);
    if (!v) throw UsageError("--" + name + " is required");
    return *v;
}

const std::vector<std::string>& ParsedArgs::List(const std::string& name) const {
    static const std::vector<std::string> none;
    auto it = values_.find(name);
    return it == values_.end() ? none : it->second;
}

int ParseIntOption(const std::string& option, const std::string& text, int low, int high) {
    bool ok = !text.empty() && text.size() <= 10;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') ok = false;
        else value = value * 10 + (c - '0');
    }
    if (!ok || value < low || value > high)
        throw UsageError("--" + option + ": '" + text + "' is not a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high));
    return static_cast<int>(value);
}

std::pair<int, int> ParseSize(const std::string& option, const std::string& text) {
    auto x = text.find_first_of("xX");
    if (x == std::string::npos) throw UsageError("--" + option + ": '" + text + "' is not a size like 1024x768");
    try {
        return {ParseIntOption(option, text.substr(0, x), 1, 32768), ParseIntOption(option, text.substr(x + 1), 1, 32768)};
    } catch (const UsageError&) {
        throw UsageError("--" + option + ": '" + text + "' is not a size like 1024x768 (sides 1 to 32768)");
    }
}

Progress::Progress(std::string label, int total)
    : label_(std::move(label)), total_(total), enabled_(KV_ISATTY(KV_FILENO(stderr)) != 0) {
    Draw();
}

Progress::~Progress() {
    if (enabled_ && !finished_) std::fputc('\n', stderr);
}

void Progress::Advance(const std::string& item) {
    ++done_;
    item_ = item;
    Draw();
}

void Progress::Done() {
    if (enabled_ && !finished_) std::fputc('\n', stderr);
    finished_ = true;
}

void Progress::Draw() {
    if (!enabled_ || total_ <= 0) return;
    const int width = 30;
    int filled = done_ * width / total_;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, '.');
    std::string item = item_.size() > 36 ? "..." + item_.substr(item_.size() - 33) : item_;
    std::fprintf(stderr, "\r%s [%s] %d/%d %-36s", label_.c_str(), bar.c_str(), done_, total_, item.c_str());
    std::fflush(stderr);
}

}  // namespace kvpack
