// Walking the command line's definitions into roff.
#include "host/app/ManPage.h"

#include <CLI/CLI.hpp>

namespace velmora {

namespace {

// Text for roff: backslashes and dashes escaped, and a line that starts with a
// roff control character kept as text.
std::string roff(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    return out;
}

// A paragraph of help text: its line breaks are the help's own, kept.
std::string block(std::string_view text) {
    std::string body = roff(text);
    while (!body.empty() && body.back() == '\n') body.pop_back();
    return ".nf\n" + body + "\n.fi\n";
}

// One option as a tagged paragraph: its names and value, then its description
// and default.
std::string optionEntry(const CLI::Option& option) {
    const bool positional = option.get_positional();
    std::string entry = ".TP\n" + std::string(positional ? "\\fI" : "\\fB") +
                        roff(option.get_name(positional, true)) + "\\fR";
    const std::string value = option.get_type_name();
    if (!positional && !value.empty() && option.get_expected_max() > 0) entry += " \\fI" + roff(value) + "\\fR";
    entry += "\n" + roff(option.get_description());
    if (!option.get_default_str().empty()) entry += " (default: " + roff(option.get_default_str()) + ")";
    if (option.get_required()) entry += " (required)";
    return entry + "\n";
}

// The options of `command` in the order they were defined, a subheading at
// each group; options without a group (hidden ones) are left out.
std::string optionList(const CLI::App& command, bool withGroupHeadings) {
    std::string out;
    std::string group;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_group().empty()) continue;
        if (withGroupHeadings && option->get_group() != group) {
            group = option->get_group();
            out += ".SS " + roff(group) + "\n";
        }
        out += optionEntry(*option);
    }
    return out;
}

}  // namespace

std::string manPage(const CLI::App& app, std::string_view version) {
    std::string page = ".TH VELMORA 1 \"\" \"velmora " + roff(version) + "\" \"User Commands\"\n";
    page += ".SH NAME\n" + roff(app.get_name()) +
            " \\- real\\-time demo player: effects drawn in step with tracker music\n";
    page += ".SH SYNOPSIS\n.B " + roff(app.get_name()) + "\n[\\fIOPTIONS\\fR]\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        page += ".br\n.B " + roff(app.get_name()) + "\n[\\fIOPTIONS\\fR] \\fB" + roff(command->get_name()) + "\\fR";
        const auto named = command->get_options([](const CLI::Option* option) { return !option->get_positional(); });
        if (named.size() > 1) page += " [\\fIOPTIONS\\fR]";  // more than --help
        for (const CLI::Option* option : command->get_options())
            if (option->get_positional())
                page += option->get_required() ? " \\fI" + roff(option->get_name(true)) + "\\fR"
                                               : " [\\fI" + roff(option->get_name(true)) + "\\fR]";
        page += "\n";
    }
    page += ".SH DESCRIPTION\n" + block(app.get_description());
    page += ".SH OPTIONS\n" + optionList(app, true);
    page += ".SH COMMANDS\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        page += ".SS " + roff(command->get_name()) + "\n" + block(command->get_description());
        page += optionList(*command, false);
        // The exit status every command shares is said once, under NOTES.
        const std::string& footer = command->get_footer();
        if (!footer.empty() && app.get_footer().find(footer) == std::string::npos)
            page += ".PP\n" + block(footer);
    }
    page += ".SH NOTES\n" + block(app.get_footer());
    page += ".SH FILES\n"
            "script.zyl and data/ in the working directory; the default show in\n"
            ".I PREFIX/share/velmora/demo\n"
            "(played by \\fBvelmora \\-\\-demo\\fR).\n";
    page += ".SH SEE ALSO\n"
            "The script language and every box and function type, with a picture each:\n"
            ".I PREFIX/share/doc/velmora/script.md\n"
            "(\\fBvelmora help\\fR \\fITYPE\\fR prints one type's entry).\n";
    return page;
}

}  // namespace velmora
