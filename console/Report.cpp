#include "console/Report.h"

#include <algorithm>
#include <string_view>

#include "console/Arguments.h"
#include "registry/ValueCodec.h"

// Each text is appended to the one string it ends up in: a chain of `+` makes
// a temporary per step, and each temporary its own clean-up code.
namespace console {

namespace {

constexpr const char* LineEnd = "\r\n";

// Quotes and backslashes escaped for JSON, control characters as \u00XX in
// both forms, so that a line with a line break stays on its line; bytes from
// 0x80 up are UTF-8 and pass.
void AppendEscaped(std::string& out, std::string_view text, bool json) {
    for (const char c : text) {
        if (json && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            constexpr char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[(c >> 4) & 0xF];
            out += digits[c & 0xF];
        } else {
            out += c;
        }
    }
}

// ,"name":"text", or null when the text is not present; the first field of
// an object without its comma.
void AppendField(std::string& out, const char* name, std::string_view text, bool present = true) {
    out += out.back() == '{' ? "\"" : ",\"";
    out += name;
    out += "\":";
    if (!present) {
        out += "null";
        return;
    }
    out += '"';
    AppendEscaped(out, text, true);
    out += '"';
}

void AppendLiteral(std::string& out, const char* name, const std::string& literal) {
    out += ",\"";
    out += name;
    out += "\":";
    out += literal;
}

std::size_t FindingCount(const Report& report) {
    std::size_t count = 0;
    for (const ToolReport& tool : report.tools)
        count += tool.findings.size();
    return count;
}

void AppendFindingTexts(std::string& out, const ToolReport& tool) {
    for (std::size_t i = 0; i < tool.findings.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += tool.findings[i]->text;
        if (tool.findings[i]->namesWho) {
            out += ": ";
            AppendEscaped(out, tool.replaceableBy, false);
        }
    }
}

// "Error 5: Disk Cleanup: Access is denied."
void AppendFailure(std::string& out, int tool, std::int32_t number, const std::string& text) {
    out += "Error ";
    out += std::to_string(number);
    out += ": ";
    if (tool >= 0) {
        out += rules::Tools[tool].name;
        out += ": ";
    }
    AppendEscaped(out, text, false);
}

void AppendToolLine(std::string& out, const ToolReport& tool) {
    out += rules::Tools[tool.tool].name;
    if (tool.failure) {
        out += ": cannot be read (";
        AppendFailure(out, -1, tool.failure->number, tool.failure->text);
        out += ')';
        out += LineEnd;
        return;
    }
    out += tool.on ? ": on, " : ": off";
    if (tool.on)
        AppendEscaped(out, tool.line, false);
    if (tool.findings.empty() && !tool.change) {
        out += LineEnd;
        return;
    }
    out += " (";
    AppendFindingTexts(out, tool);
    if (tool.change) {
        out += tool.findings.empty() ? "changed (" : "; changed (";
        out += tool.change->how;
        out += "), was ";
        if (tool.change->was)
            AppendEscaped(out, *tool.change->was, false);
        else
            out += "off";
    }
    out += ')';
    out += LineEnd;
}

void AppendToolJson(std::string& out, const ToolReport& tool) {
    out += '{';
    AppendField(out, "id", ToolIds[tool.tool]);
    AppendField(out, "name", rules::Tools[tool.tool].name);
    AppendLiteral(out, "on", tool.on ? "true" : "false");
    AppendField(out, "line", tool.line, tool.on);
    AppendField(out, "type", tool.type, tool.on && !tool.type.empty());
    AppendField(out, "expanded", tool.expanded, tool.on);
    out += ",\"findings\":[";
    for (std::size_t i = 0; i < tool.findings.size(); ++i) {
        out += i > 0 ? ",\"" : "\"";
        out += tool.findings[i]->id;
        out += '"';
    }
    out += ']';
    AppendField(out, "replaceableBy", tool.replaceableBy, !tool.replaceableBy.empty());
    out += ",\"error\":";
    if (tool.failure) {
        out += "{\"number\":";
        out += std::to_string(tool.failure->number);
        AppendField(out, "text", tool.failure->text);
        out += '}';
    } else {
        out += "null";
    }
    const std::optional<rules::Row>& expected = tool.expected;
    AppendField(out, "expected", expected && !expected->off ? expected->line : "off",
                expected.has_value());
    out += ",\"changed\":";
    if (tool.change) {
        out += '{';
        AppendField(out, "how", tool.change->how);
        AppendField(out, "was", tool.change->was.value_or(""), tool.change->was.has_value());
        out += '}';
    } else {
        out += "null";
    }
    out += '}';
}

} // namespace

std::string RegistryTypeName(std::int32_t code) {
    // The registry's names from 1 to 10 as SetDefault spells them; it calls 0
    // and every unknown code REG_SZ, which a report must not.
    if (code == ValueTypeCode::None)
        return "REG_NONE";
    if (code == 11)
        return "REG_QWORD";
    if (code > 0 && code <= 10)
        return std::string(typeName(code));
    return "type " + std::to_string(static_cast<std::uint32_t>(code));
}

std::string Verdict(const Report& report) {
    if (report.tools.empty())
        return "Nothing could be read.";
    const std::size_t count = FindingCount(report);
    if (count == 0)
        return std::any_of(report.tools.begin(), report.tools.end(),
                           [](const ToolReport& tool) { return tool.failure.has_value(); })
                   ? "No findings in the keys that could be read."
                   : "No findings.";
    std::string verdict = std::to_string(count);
    verdict += count == 1 ? " finding: " : " findings: ";
    bool first = true;
    for (const ToolReport& tool : report.tools) {
        if (tool.findings.empty())
            continue;
        if (!first)
            verdict += "; ";
        verdict += rules::Tools[tool.tool].name;
        verdict += ": ";
        AppendFindingTexts(verdict, tool);
        first = false;
    }
    return verdict;
}

std::string LastLine(const Report& report) {
    std::string changed;
    for (const ToolReport& tool : report.tools) {
        if (!tool.change)
            continue;
        changed += changed.empty() ? "" : ", ";
        changed += rules::Tools[tool.tool].name;
        changed += " (";
        changed += tool.change->how;
        changed += ')';
    }
    std::string line;
    const ToolReport* unread = nullptr;
    for (const ToolReport& tool : report.tools)
        if (!unread && tool.failure)
            unread = &tool;
    if (report.refusal || unread) {
        if (report.refusal)
            AppendFailure(line, report.refusal->tool, report.refusal->number, report.refusal->text);
        else
            AppendFailure(line, unread->tool, unread->failure->number, unread->failure->text);
        if (!changed.empty())
            line += "; changed " + changed;
        return line;
    }
    if (!changed.empty())
        line = "Changed " + changed + "; ";
    return line + Verdict(report);
}

std::string ReportText(const Report& report) {
    std::string text;
    if (report.tools.empty())
        return text;
    for (const ToolReport& tool : report.tools)
        AppendToolLine(text, tool);
    text += LastLine(report);
    text += LineEnd;
    return text;
}

std::string ReportJson(const Report& report) {
    std::string json = "{";
    AppendField(json, "version", report.version);
    AppendField(json, "computer", report.computer);
    AppendField(json, "time", report.time);
    AppendField(json, "command", report.command);
    AppendLiteral(json, "stock", report.stock ? "true" : "false");
    json += ",\"tools\":[";
    for (std::size_t i = 0; i < report.tools.size(); ++i) {
        if (i > 0)
            json += ',';
        AppendToolJson(json, report.tools[i]);
    }
    json += ']';
    AppendLiteral(json, "findings", std::to_string(FindingCount(report)));
    AppendField(json, "verdict", Verdict(report));
    AppendField(json, "summary", LastLine(report));
    json += ",\"error\":";
    if (const std::optional<Refusal>& refusal = report.refusal) {
        json += '{';
        AppendField(json, "tool", refusal->tool < 0 ? "" : ToolIds[refusal->tool],
                    refusal->tool >= 0);
        AppendLiteral(json, "number", std::to_string(refusal->number));
        AppendField(json, "text", refusal->text);
        json += '}';
    } else {
        json += "null";
    }
    json += '}';
    json += LineEnd;
    return json;
}

std::string RefusalText(const Report& report) {
    std::string text;
    const auto append = [&text](int tool, std::int32_t number, const std::string& why) {
        text += "quillmerec: ";
        AppendFailure(text, tool, number, why);
        text += LineEnd;
    };
    for (const ToolReport& tool : report.tools)
        if (tool.failure)
            append(tool.tool, tool.failure->number, tool.failure->text);
    if (report.refusal)
        append(report.refusal->tool, report.refusal->number, report.refusal->text);
    return text;
}

ExitCode ExitCodeOf(const Report& report) {
    const bool unread =
        std::any_of(report.tools.begin(), report.tools.end(),
                    [](const ToolReport& tool) { return tool.failure.has_value(); });
    if (report.refusal || unread)
        return RegistryRefused;
    return FindingCount(report) == 0 ? NothingFound : Found;
}

} // namespace console
