#pragma once
// Command-line parsing and console output shared by kvpack's commands.
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvpack {

// A bad command line: reported as one line, exit status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

enum class OptionKind { Flag, Value, List };

struct OptionSpec {
    std::string Name;  // without the leading "--"
    OptionKind Kind;
};

// The options and positional arguments of one command. A List option takes every
// argument up to the next one that starts with "--".
class ParsedArgs {
public:
    ParsedArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);

    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    bool Help() const { return help_; }
    std::optional<std::string> Value(const std::string& name) const;
    std::string Required(const std::string& name) const;
    const std::vector<std::string>& List(const std::string& name) const;
    const std::vector<std::string>& Positional() const { return positional_; }

private:
    std::map<std::string, std::vector<std::string>> values_;
    std::vector<std::string> positional_;
    bool help_ = false;
};

// "1024x768" -> {1024, 768}; both sides from 1 to 32768.
std::pair<int, int> ParseSize(const std::string& option, const std::string& text);
// A whole number within [low, high], or a UsageError naming the option.
int ParseIntOption(const std::string& option, const std::string& text, int low, int high);

// A progress bar on standard error, drawn only when standard error is a terminal.
class Progress {
public:
    Progress(std::string label, int total);
    ~Progress();
    void Advance(const std::string& item);
    void Done();

private:
    void Draw();
    std::string label_;
    std::string item_;
    int total_;
    int done_ = 0;
    bool enabled_;
    bool finished_ = false;
};

}  // namespace kvpack
