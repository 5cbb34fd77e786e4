// Rocket's XML track files, through expat.
#include "host/commands/RocketFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <expat.h>

#include "core/Limits.h"

namespace velmora {

namespace {

struct Reader {
    XML_Parser parser = nullptr;
    std::vector<RocketTrack>* tracks = nullptr;
    std::string error;
    bool inTrack = false;
    int64_t keys = 0;

    void fail(std::string reason) {
        if (!error.empty()) return;
        error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + std::move(reason);
        XML_StopParser(parser, XML_FALSE);
    }
};

const char* attribute(const XML_Char** attributes, const char* name) {
    for (int i = 0; attributes[i]; i += 2)
        if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
    return nullptr;
}

bool parseInteger(const char* text, int64_t minimum, int64_t maximum, int64_t& value) {
    if (!text) return false;
    const char* end = text + std::strlen(text);
    const auto [stop, failure] = std::from_chars(text, end, value);
    return failure == std::errc() && stop == end && value >= minimum && value <= maximum;
}

bool parseValue(const char* text, float& value) {
    if (!text) return false;
    const char* end = text + std::strlen(text);
    double read = 0.0;
    const auto [stop, failure] = std::from_chars(text, end, read);
    // Past half a unit above FLT_MAX a float would be infinite.
    if (failure != std::errc() || stop != end || !std::isfinite(read) ||
        std::fabs(read) >= std::ldexp(2.0 - std::ldexp(1.0, -24), 127))
        return false;
    value = static_cast<float>(read);
    return true;
}

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    Reader& reader = *static_cast<Reader*>(data);
    if (std::strcmp(name, "track") == 0) {
        const char* trackName = attribute(attributes, "name");
        if (!trackName) return reader.fail("a <track> without a name");
        if (reader.tracks->size() >= static_cast<size_t>(kMaxTracks))
            return reader.fail("more than " + std::to_string(kMaxTracks) + " tracks");
        reader.tracks->push_back({trackName, {}});
        reader.inTrack = true;
    } else if (std::strcmp(name, "key") == 0) {
        if (!reader.inTrack) return reader.fail("a <key> outside a <track>");
        RocketKey key;
        int64_t interpolation = 0;
        if (!parseInteger(attribute(attributes, "row"), 0, kMaxRocketRow, key.row))
            return reader.fail("the key's row is not a whole number from 0");
        if (!parseValue(attribute(attributes, "value"), key.value))
            return reader.fail("the key's value is not a finite number a float holds");
        if (!parseInteger(attribute(attributes, "interpolation"), 0, 3, interpolation))
            return reader.fail("the key's interpolation is not 0, 1, 2 or 3");
        key.interpolation = static_cast<int>(interpolation);
        if (++reader.keys > kMaxTrackKeys) return reader.fail("more than " + std::to_string(kMaxTrackKeys) + " keys");
        reader.tracks->back().keys.push_back(key);
    }
}

void XMLCALL endElement(void* data, const XML_Char* name) {
    Reader& reader = *static_cast<Reader*>(data);
    if (std::strcmp(name, "track") == 0) reader.inTrack = false;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        // Kept as characters: a parser turns them into spaces in an attribute.
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        case '\t': out += "&#9;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

bool parseRocketFile(std::string_view text, std::vector<RocketTrack>& tracks, std::string& error) {
    tracks.clear();
    if (text.size() > kMaxTrackFileBytes) {
        error = "the file is larger than the " + std::to_string(kMaxTrackFileBytes / kMiB) + " MiB a track file may have";
        return false;
    }
    Reader reader;
    reader.parser = XML_ParserCreate(nullptr);
    if (!reader.parser) {
        error = "out of memory";
        return false;
    }
    reader.tracks = &tracks;
    XML_SetUserData(reader.parser, &reader);
    XML_SetElementHandler(reader.parser, startElement, endElement);
    const XML_Status status = XML_Parse(reader.parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
    if (status != XML_STATUS_OK && reader.error.empty())
        reader.error = "line " + std::to_string(XML_GetCurrentLineNumber(reader.parser)) + ": " +
                       XML_ErrorString(XML_GetErrorCode(reader.parser));
    XML_ParserFree(reader.parser);
    if (!reader.error.empty()) {
        error = reader.error;
        tracks.clear();
        return false;
    }
    return true;
}

std::string formatRocketFile(const std::vector<RocketTrack>& tracks) {
    int64_t rows = 0;
    for (const RocketTrack& track : tracks)
        for (const RocketKey& key : track.keys) rows = std::max(rows, key.row + 1);
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tracks rows=\"" + std::to_string(rows) + "\">\n";
    char line[128];
    for (const RocketTrack& track : tracks) {
        text += "\t<track name=\"" + escaped(track.name) + "\">\n";
        for (const RocketKey& key : track.keys) {
            std::snprintf(line, sizeof line, "\t\t<key row=\"%lld\" value=\"%.9g\" interpolation=\"%d\"/>\n",
                          static_cast<long long>(key.row), static_cast<double>(key.value), key.interpolation);
            text += line;
        }
        text += "\t</track>\n";
    }
    return text + "</tracks>\n";
}

}  // namespace velmora
