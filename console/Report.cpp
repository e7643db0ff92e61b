#include "console/Report.h"

#include <array>

#include "console/Arguments.h"
#include "registry/ValueCodec.h"

namespace console {

namespace {

constexpr const char* LineEnd = "\r\n";

// Quotes and backslashes escaped for JSON, control characters as \u00XX in
// both forms, so that a line with a line break stays on its line; bytes from
// 0x80 up are UTF-8 and pass.
std::string Escaped(const std::string& text, bool json) {
    std::string escaped;
    for (const char c : text) {
        if (json && (c == '"' || c == '\\')) {
            escaped += '\\';
            escaped += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            constexpr char digits[] = "0123456789abcdef";
            escaped += "\\u00";
            escaped += digits[(c >> 4) & 0xF];
            escaped += digits[c & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string JsonText(const std::string& text) {
    return '"' + Escaped(text, true) + '"';
}

std::string JsonTextOrNull(bool present, const std::string& text) {
    return present ? JsonText(text) : "null";
}

std::size_t FindingCount(const Report& report) {
    std::size_t count = 0;
    for (const ToolReport& tool : report.tools)
        count += tool.findings.size();
    return count;
}

std::string FindingTexts(const ToolReport& tool) {
    std::string texts;
    for (const Finding* finding : tool.findings)
        texts += (texts.empty() ? "" : ", ") + std::string(finding->text);
    return texts;
}

std::string ToolLine(const ToolReport& tool) {
    const std::string line = std::string(app::Tools[tool.tool].name) +
                             (tool.on ? ": on, " + Escaped(tool.line, false) : ": off");
    std::string notes = FindingTexts(tool);
    if (tool.change)
        notes += std::string(notes.empty() ? "" : "; ") + "changed (" + tool.change->how +
                 "), was " + (tool.change->was ? Escaped(*tool.change->was, false) : "off");
    return line + (notes.empty() ? "" : " (" + notes + ")") + LineEnd;
}

std::string ToolJson(const ToolReport& tool) {
    std::string findings;
    for (const Finding* finding : tool.findings)
        findings += (findings.empty() ? "" : ",") + JsonText(finding->id);
    std::string change = "null";
    if (tool.change)
        change = "{\"how\":" + JsonText(tool.change->how) + ",\"was\":" +
                 JsonTextOrNull(tool.change->was.has_value(), tool.change->was.value_or("")) + "}";
    return "{\"id\":" + JsonText(ToolIds[tool.tool]) +
           ",\"name\":" + JsonText(app::Tools[tool.tool].name) +
           ",\"on\":" + (tool.on ? "true" : "false") +
           ",\"line\":" + JsonTextOrNull(tool.on, tool.line) +
           ",\"type\":" + JsonTextOrNull(tool.on && !tool.type.empty(), tool.type) +
           ",\"expanded\":" + JsonTextOrNull(tool.on, tool.expanded) + ",\"findings\":[" +
           findings + "],\"changed\":" + change + "}";
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
        return "No findings.";
    std::string verdict = std::to_string(count) + (count == 1 ? " finding: " : " findings: ");
    bool first = true;
    for (const ToolReport& tool : report.tools) {
        if (tool.findings.empty())
            continue;
        verdict += (first ? "" : "; ") + std::string(app::Tools[tool.tool].name) + ": " +
                   FindingTexts(tool);
        first = false;
    }
    return verdict;
}

std::string ReportText(const Report& report) {
    if (report.tools.empty())
        return {};
    std::string text;
    for (const ToolReport& tool : report.tools)
        text += ToolLine(tool);
    return text + Verdict(report) + LineEnd;
}

std::string ReportJson(const Report& report) {
    std::string tools;
    for (const ToolReport& tool : report.tools)
        tools += (tools.empty() ? "" : ",") + ToolJson(tool);
    std::string refusal = "null";
    if (report.refusal)
        refusal = "{\"tool\":" +
                  (report.refusal->tool < 0 ? "null" : JsonText(ToolIds[report.refusal->tool])) +
                  ",\"number\":" + std::to_string(report.refusal->number) +
                  ",\"text\":" + JsonText(report.refusal->text) + "}";
    return "{\"command\":" + JsonText(report.command) +
           ",\"stock\":" + (report.stock ? "true" : "false") + ",\"tools\":[" + tools +
           "],\"findings\":" + std::to_string(FindingCount(report)) +
           ",\"verdict\":" + JsonText(Verdict(report)) + ",\"error\":" + refusal + "}" + LineEnd;
}

std::string RefusalText(const Report& report) {
    if (!report.refusal)
        return {};
    const Refusal& refusal = *report.refusal;
    return "quillmerec: " +
           (refusal.tool < 0 ? "" : std::string(app::Tools[refusal.tool].name) + ": ") + "error " +
           std::to_string(refusal.number) + ": " + Escaped(refusal.text, false) + LineEnd;
}

ExitCode ExitCodeOf(const Report& report) {
    if (report.refusal)
        return RegistryRefused;
    return FindingCount(report) == 0 ? NothingFound : Found;
}

} // namespace console
