#include "events/EventParams.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace corvane {
namespace {

std::string Trim(const std::string& text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), blank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The parts between ';' outside double quotes.
std::vector<std::string> SplitParts(const std::string& text) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string FormatPart(const std::string& format, const CivilDateTime& c) {
    std::string out;
    const auto at = [&](size_t i, const char* token) {
        return format.compare(i, std::char_traits<char>::length(token), token) == 0;
    };
    for (size_t i = 0; i < format.size();) {
        if (at(i, "yyyy")) {
            out += std::to_string(c.year);
            i += 4;
        } else if (at(i, "yy")) {
            out += TwoDigits(c.year % 100);
            i += 2;
        } else if (at(i, "mm")) {
            out += TwoDigits(c.month);
            i += 2;
        } else if (at(i, "dd")) {
            out += TwoDigits(c.day);
            i += 2;
        } else if (at(i, "hh")) {
            out += TwoDigits(c.hour);
            i += 2;
        } else if (at(i, "nn")) {
            out += TwoDigits(c.minute);
            i += 2;
        } else if (at(i, "ss")) {
            out += TwoDigits(c.second);
            i += 2;
        } else {
            out += format[i++];
        }
    }
    return out;
}

} // namespace

EventParams::EventParams(const std::string& text) {
    if (Trim(text).empty())
        return;
    for (const std::string& part : SplitParts(text)) {
        if (Trim(part).empty())
            continue;
        const size_t equals = part.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("parameter \"" + Trim(part) + "\" is not Key=Value");
        const std::string key = Lower(Trim(part.substr(0, equals)));
        if (key.empty())
            throw std::invalid_argument("parameter \"" + Trim(part) + "\" has no key");
        if (!values_.emplace(key, Trim(part.substr(equals + 1))).second)
            throw std::invalid_argument("parameter \"" + Trim(part.substr(0, equals)) + "\" is given twice");
    }
}

std::optional<std::string> EventParams::Get(const std::string& key) const {
    const auto found = values_.find(Lower(key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

void EventParams::AllowOnly(const std::vector<std::string>& known) const {
    for (const auto& entry : values_) {
        const std::string& key = entry.first;
        if (std::none_of(known.begin(), known.end(), [&](const std::string& k) { return Lower(k) == key; }))
            throw std::invalid_argument("parameter \"" + key + "\" is not one this event type takes");
    }
}

bool EventParams::Flag(const std::string& key, bool absent) const {
    const auto value = Get(key);
    if (!value)
        return absent;
    const std::string v = Lower(*value);
    if (v == "yes" || v == "true" || v == "1")
        return true;
    if (v == "no" || v == "false" || v == "0")
        return false;
    throw std::invalid_argument("parameter " + key + "=" + *value + " is neither yes nor no");
}

std::optional<int64_t> EventParams::LengthMs(const std::string& key) const {
    const auto value = Get(key);
    if (!value)
        return std::nullopt;
    std::vector<std::string> fields(1);
    for (char c : *value) {
        if (c == ':')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    const bool valid = fields.size() <= 3 && std::all_of(fields.begin(), fields.end(), AllDigits) &&
                       std::all_of(fields.begin() + 1, fields.end(),
                                   [](const std::string& f) { return f.size() == 2 && std::stoi(f) < 60; });
    if (!valid || fields[0].size() > 6)
        throw std::invalid_argument("parameter " + key + "=" + *value + " is not minutes, h:mm or h:mm:ss");
    int64_t seconds = 0;
    if (fields.size() == 1)
        seconds = std::stoll(fields[0]) * 60;
    else
        seconds = std::stoll(fields[0]) * 3600 + std::stoll(fields[1]) * 60 +
                  (fields.size() == 3 ? std::stoll(fields[2]) : 0);
    if (seconds <= 0)
        throw std::invalid_argument("parameter " + key + "=" + *value + " is no length");
    return seconds * 1000;
}

std::optional<int> EventParams::Seconds(const std::string& key) const {
    const auto value = Get(key);
    if (!value)
        return std::nullopt;
    if (!AllDigits(*value) || value->size() > 7 || std::stoi(*value) <= 0)
        throw std::invalid_argument("parameter " + key + "=" + *value + " is not a number of seconds");
    return std::stoi(*value);
}

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, inArgument = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        throw std::invalid_argument("arguments \"" + text + "\" have an unclosed quote");
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

std::string ExpandDateTimePattern(const std::string& pattern, TDateTime when) {
    const CivilDateTime c = DecodeDateTime(when);
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] != '{') {
            out += pattern[i++];
            continue;
        }
        const size_t close = pattern.find('}', i);
        if (close == std::string::npos)
            throw std::invalid_argument("file name \"" + pattern + "\" has an unclosed '{'");
        out += FormatPart(pattern.substr(i + 1, close - i - 1), c);
        i = close + 1;
    }
    return out;
}

} // namespace corvane
