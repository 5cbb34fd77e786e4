// Turning the help text into roff.
#include "host/ManPage.h"

namespace velmora {

namespace {

// One line of text for a no-fill block: backslashes and dashes escaped, and a
// line that starts with a roff control character kept as text.
std::string roffLine(std::string_view line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) out = "\\&";
    for (char c : line) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    return out;
}

}  // namespace

std::string manPageFromHelp(std::string_view helpText, std::string_view version) {
    std::string page = ".TH VELMORA 1 \"\" \"velmora ";
    page.append(version);
    page += "\" \"User Commands\"\n"
            ".SH NAME\n"
            "velmora \\- real\\-time demo player: effects drawn in step with tracker music\n"
            ".SH SYNOPSIS\n"
            ".B velmora\n"
            "[\\fIOPTIONS\\fR] [\\fBrender\\fR|\\fBcheck\\fR|\\fBbench\\fR|\\fBnew\\fR ...]\n"
            ".SH DESCRIPTION\n"
            ".nf\n";
    size_t start = 0;
    while (start < helpText.size()) {
        size_t end = helpText.find('\n', start);
        if (end == std::string_view::npos) end = helpText.size();
        page += roffLine(helpText.substr(start, end - start));
        page += '\n';
        start = end + 1;
    }
    page += ".fi\n"
            ".SH FILES\n"
            "script.zyl and data/ in the working directory; the default show in\n"
            ".I PREFIX/share/velmora/demo\n"
            "(played by \\fBvelmora \\-\\-demo\\fR).\n";
    return page;
}

}  // namespace velmora
