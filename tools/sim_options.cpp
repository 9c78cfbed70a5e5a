#include "tools/sim_options.h"

#include <charconv>
#include <functional>
#include <map>

#include "tools/sim_points_file.h"

namespace gaugesim {
namespace {

constexpr std::size_t kMaxGeneratedPoints = 1000000;
constexpr unsigned long long kMaxBaud = 4000000;
constexpr unsigned long long kMaxMilliseconds = 600000;

unsigned long long number(const std::string& option, const std::string& text,
                          unsigned long long lowest, unsigned long long highest) {
    unsigned long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < lowest || value > highest) {
        throw OptionError(option + " needs a whole number from " + std::to_string(lowest) + " to " +
                          std::to_string(highest) + ", not \"" + text + "\"");
    }
    return value;
}

std::vector<std::string> pointsFrom(const std::string& option, const std::string& path) {
    try {
        return readPointsFile(path);
    } catch (const std::runtime_error& error) {
        throw OptionError(option + ": " + error.what());
    }
}

struct Parse {
    SimOptions options;
    std::map<std::string, std::string> seen;  // option -> value, to catch repeats and conflicts
};

using Handler = std::function<void(Parse&, const std::string& name, const std::string& value)>;

struct OptionRule {
    bool takesValue;
    Handler handle;
};

const std::map<std::string, OptionRule>& optionTable() {
    static const std::map<std::string, OptionRule> table = {
        {"--help", {false, [](Parse& p, auto&, auto&) { p.options.help = true; }}},
        {"--link", {true, [](Parse& p, auto&, auto& v) { p.options.linkPath = v; }}},
        {"--baud",
         {true, [](Parse& p, auto& n,
                   auto& v) { p.options.baud = unsigned(number(n, v, 1, kMaxBaud)); }}},
        {"--statistics",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.gauge.statisticsPoints =
                  generatedStatisticsPoints(number(n, v, 0, kMaxGeneratedPoints));
          }}},
        {"--statistics-file",
         {true,
          [](Parse& p, auto& n, auto& v) { p.options.gauge.statisticsPoints = pointsFrom(n, v); }}},
        {"--memory",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.gauge.memoryPoints =
                  generatedMemoryPoints(number(n, v, 0, kMaxGeneratedPoints));
          }}},
        {"--memory-file",
         {true,
          [](Parse& p, auto& n, auto& v) { p.options.gauge.memoryPoints = pointsFrom(n, v); }}},
        {"--statistics-opening",
         {true, [](Parse& p, auto&, auto& v) { p.options.gauge.statisticsOpeningReply = v; }}},
        {"--memory-opening",
         {true, [](Parse& p, auto&, auto& v) { p.options.gauge.memoryOpeningReply = v; }}},
        {"--version-text",
         {true, [](Parse& p, auto&, auto& v) { p.options.gauge.versionText = v; }}},
        {"--silent", {false, [](Parse& p, auto&, auto&) { p.options.gauge.silent = true; }}},
        {"--stop-after",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.gauge.stopAfterPoints = number(n, v, 0, kMaxGeneratedPoints);
          }}},
        {"--no-lf", {false, [](Parse& p, auto&, auto&) { p.options.gauge.omitLineFeed = true; }}},
        {"--statistics-count",
         {true, [](Parse& p, auto&, auto& v) { p.options.gauge.statisticsCountText = v; }}},
        {"--memory-count",
         {true, [](Parse& p, auto&, auto& v) { p.options.gauge.memoryCountText = v; }}},
        {"--pieces",
         {true,
          [](Parse& p, auto& n, auto& v) { p.options.pieceSize = number(n, v, 1, 1000000); }}},
        {"--piece-delay",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.pieceDelay = std::chrono::milliseconds(number(n, v, 0, kMaxMilliseconds));
          }}},
        {"--ignore-first",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.gauge.ignoreFirstCommands = number(n, v, 0, kMaxGeneratedPoints);
          }}},
        {"--late-text", {true, [](Parse& p, auto&, auto& v) { p.options.lateText = v; }}},
        {"--late-after",
         {true,
          [](Parse& p, auto& n, auto& v) {
              p.options.lateAfter = std::chrono::milliseconds(number(n, v, 0, kMaxMilliseconds));
          }}},
        {"--log", {false, [](Parse& p, auto&, auto&) { p.options.log = true; }}},
    };
    return table;
}

void requireTogether(const Parse& parse, const std::string& option, const std::string& needed) {
    if (parse.seen.count(option) != 0 && parse.seen.count(needed) == 0) {
        throw OptionError(option + " needs " + needed);
    }
}

void refuseBoth(const Parse& parse, const std::string& first, const std::string& second) {
    if (parse.seen.count(first) != 0 && parse.seen.count(second) != 0) {
        throw OptionError(first + " and " + second + " cannot be used together");
    }
}

}  // namespace

SimOptions parseOptions(const std::vector<std::string>& arguments) {
    Parse parse;
    parse.options.gauge.statisticsPoints = generatedStatisticsPoints(3);
    parse.options.gauge.memoryPoints = generatedMemoryPoints(10);

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != name.npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        auto found = optionTable().find(name);
        if (found == optionTable().end()) {
            throw OptionError("unknown option " + name);
        }
        const OptionRule& rule = found->second;
        if (rule.takesValue && !value) {
            if (i + 1 >= arguments.size()) {
                throw OptionError(name + " needs a value");
            }
            value = arguments[++i];
        }
        if (!rule.takesValue && value) {
            throw OptionError(name + " takes no value");
        }
        if (!parse.seen.emplace(name, value.value_or("")).second) {
            throw OptionError(name + " given twice");
        }
        rule.handle(parse, name, value.value_or(""));
    }

    refuseBoth(parse, "--statistics", "--statistics-file");
    refuseBoth(parse, "--memory", "--memory-file");
    requireTogether(parse, "--piece-delay", "--pieces");
    requireTogether(parse, "--late-after", "--late-text");
    return parse.options;
}

std::string helpText() {
    return R"(Usage: qorb-gauge-sim [options]
Answers like the gauge on a pseudo-terminal. The first line of output is the pty path.
Texts are sent exactly as given; points files hold one point per line.

  --link PATH                 make PATH a symbolic link to the pty (removed on exit)
  --baud N                    pace output at N baud, 10 bits per byte (default 9600)
  --statistics N              N generated statistics points (default 3)
  --statistics-file F         statistics points from file F
  --memory N                  N generated memory points (default 10)
  --memory-file F             memory points from file F (deleted points begin with D)
  --statistics-opening TEXT   answer to NZ (default STATISTICS)
  --memory-opening TEXT       answer to MZ (default MEMORY)
  --version-text TEXT         answer to V (default QORB V1.02)
Faults:
  --silent                    answer nothing
  --stop-after K              answer nothing after K point replies
  --no-lf                     end replies in CR only
  --statistics-count TEXT     answer NC with TEXT instead of the count
  --memory-count TEXT         answer MC with TEXT instead of the count
  --pieces N                  send each reply in pieces of N bytes
  --piece-delay MS            wait MS milliseconds between pieces (with --pieces)
  --ignore-first N            leave the first N commands unanswered
  --late-text TEXT            send TEXT once, unasked, after the first command
  --late-after MS             ... MS milliseconds after it (default 0)
  --log                       write each command received to stderr, one per line
  --help                      show this text
)";
}

}  // namespace gaugesim
