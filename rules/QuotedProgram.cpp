#include <string_view>

#include "rules/ProgramProbe.h"
#include "rules/ToolRules.h"

namespace rules {

std::optional<std::string> QuotedProgram(const std::string& stored) {
    constexpr std::string_view Blanks = " \t";
    const std::size_t first = stored.find_first_not_of(Blanks);
    if (first == std::string::npos)
        return std::nullopt;
    const std::string line = stored.substr(first, stored.find_last_not_of(Blanks) - first + 1);
    for (std::size_t end = line.find_first_of(Blanks);;
         end = line.find_first_of(Blanks, line.find_first_not_of(Blanks, end))) {
        std::string quoted = '"' + line.substr(0, end) + '"';
        if (end != std::string::npos)
            quoted += line.substr(end);
        if (ProbeProgram(quoted) == ProgramStatus::Fine)
            return quoted;
        if (end == std::string::npos)
            return std::nullopt;
    }
}

} // namespace rules
