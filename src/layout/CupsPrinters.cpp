#include "layout/CupsPrinters.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include <cups/cups.h>
#include <cups/pwg.h>

#include "layout/CupsSession.h"

namespace {

constexpr char kNeedle[] = "cd-r tray";
// A strings file larger than this is not a printer's texts.
constexpr std::size_t kMaxStringsBytes = std::size_t{4} << 20;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

bool NamesCdTray(const std::string& text, bool keyword)
{
    std::string s = Lower(text);
    if (s.find(kNeedle) != std::string::npos)
        return true;
    if (!keyword)
        return false;
    // Keywords spell spaces as dashes or underscores: cd-r-tray, CD_R_Tray.
    for (char& c : s)
        if (c == '-' || c == '_')
            c = ' ';
    return s.find("cd r tray") != std::string::npos;
}

std::vector<std::pair<std::string, std::string>> ParseCupsStrings(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    const std::size_t n = std::min(text.size(), kMaxStringsBytes);
    std::size_t i = 0;
    // Reads a quoted string starting at text[i] == '"'; every step moves i forward.
    auto quoted = [&](std::string& out) {
        if (i >= n || text[i] != '"')
            return false;
        ++i;
        while (i < n && text[i] != '"') {
            char c = text[i++];
            if (c == '\\' && i < n) {
                c = text[i++];
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
            }
            out += c;
        }
        if (i >= n)
            return false;
        ++i; // closing quote
        return true;
    };
    auto skipSpace = [&] {
        while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    while (i < n) {
        skipSpace();
        if (i >= n)
            break;
        if (text.compare(i, 2, "/*") == 0) {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string::npos || end + 2 > n ? n : end + 2;
            continue;
        }
        std::string key, value;
        if (!quoted(key)) {
            // Not a pair: skip the rest of the line.
            const std::size_t eol = text.find('\n', i);
            i = eol == std::string::npos || eol >= n ? n : eol + 1;
            continue;
        }
        skipSpace();
        if (i < n && text[i] == '=')
            ++i;
        skipSpace();
        if (!quoted(value))
            continue;
        skipSpace();
        if (i < n && text[i] == ';')
            ++i;
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

bool CCupsPrinters::List(std::vector<CupsPrinter>& printers)
{
    printers.clear();
    CCupsSession session;
    if (!session.Connect()) {
        error_ = session.LastError();
        return false;
    }
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(session.Http(), &dests);
    for (int k = 0; k < count; ++k) {
        const cups_dest_t& d = dests[k];
        if (d.instance != nullptr)
            continue; // lpoptions instances are settings, not queues
        CupsPrinter p;
        p.name = d.name;
        if (const char* v = cupsGetOption("printer-info", d.num_options, d.options))
            p.info = v;
        if (const char* v = cupsGetOption("printer-location", d.num_options, d.options))
            p.location = v;
        p.isDefault = d.is_default != 0;
        printers.push_back(std::move(p));
    }
    cupsFreeDests(count, dests);
    error_.clear();
    return true;
}

std::string CCupsPrinters::DefaultPrinter()
{
    CCupsSession session;
    if (!session.Connect()) {
        error_ = session.LastError();
        return std::string();
    }
    cups_dest_t* d = cupsGetNamedDest(session.Http(), nullptr, nullptr);
    if (d == nullptr) {
        error_ = "There is no default printer";
        return std::string();
    }
    std::string name = d->name;
    cupsFreeDests(1, d);
    error_.clear();
    return name;
}

bool CCupsPrinters::Exists(const std::string& printer)
{
    CCupsSession session;
    const bool ok = session.Open(printer);
    error_ = ok ? std::string() : session.LastError();
    return ok;
}

std::optional<CupsMedia> CCupsPrinters::GetMedia(const std::string& printer, const std::string& media)
{
    CCupsSession session;
    if (!session.Open(printer) || !session.LoadInfo()) {
        error_ = session.LastError();
        return std::nullopt;
    }
    std::string name = media;
    if (name.empty()) {
        // The printer's own default sheet; libcups' guess from the locale only when the
        // printer names none.
        if (ipp_attribute_t* def =
                cupsFindDestDefault(session.Http(), session.Dest(), session.Info(), "media")) {
            if (const char* v = ippGetString(def, 0, nullptr))
                name = v;
        }
    }
    cups_size_t size{};
    bool found = false;
    if (!name.empty())
        found = cupsGetDestMediaByName(session.Http(), session.Dest(), session.Info(), name.c_str(),
                                       CUPS_MEDIA_FLAGS_DEFAULT, &size) != 0;
    else
        found = cupsGetDestMediaDefault(session.Http(), session.Dest(), session.Info(),
                                        CUPS_MEDIA_FLAGS_DEFAULT, &size) != 0;
    if (!found && !name.empty() &&
        cupsFindDestSupported(session.Http(), session.Dest(), session.Info(), "media") == nullptr) {
        // A queue without a driver lists no sheets: a standard media keyword still says
        // its size, and such a queue prints to the edge as far as we know.
        if (pwg_media_t* pwg = pwgMediaForPWG(name.c_str())) {
            CupsMedia m;
            m.name = name;
            m.size = PaperSize::Custom(pwg->width / 100.0, pwg->length / 100.0);
            error_.clear();
            return m;
        }
    }
    if (!found || size.width <= 0 || size.length <= 0) {
        error_ =
            name.empty() ? "The printer names no paper size" : "The printer does not take the paper " + name;
        return std::nullopt;
    }
    // cups_size_t counts hundredths of a millimetre.
    CupsMedia m;
    m.name = size.media;
    m.size = PaperSize::Custom(size.width / 100.0, size.length / 100.0);
    m.margins = PaperMargins{std::max(0, size.left) / 100.0, std::max(0, size.top) / 100.0,
                             std::max(0, size.right) / 100.0, std::max(0, size.bottom) / 100.0};
    error_.clear();
    return m;
}

std::optional<DeviceCaps> CCupsPrinters::GetDeviceCaps(const std::string& printer, int dpi,
                                                       const std::string& media)
{
    const std::optional<CupsMedia> m = GetMedia(printer, media);
    if (!m)
        return std::nullopt;
    const DeviceCaps caps = CapsForPaper(m->size, dpi, m->margins);
    if (caps.horzRes <= 0 || caps.vertRes <= 0) {
        error_ = "The paper leaves no printable area";
        return std::nullopt;
    }
    return caps;
}

std::optional<CupsTrayChoice> CCupsPrinters::FindCdTray(const std::string& printer)
{
    CCupsSession session;
    if (!session.Open(printer) || !session.LoadInfo()) {
        error_ = session.LastError();
        return std::nullopt;
    }
    error_.clear();
    // The printer's texts for its choices, fetched once if libcups' own lookup gives none.
    std::optional<std::vector<std::pair<std::string, std::string>>> texts;
    for (const char* option : {"input-slot", "media-source", "media-type", "media"}) {
        ipp_attribute_t* supported =
            cupsFindDestSupported(session.Http(), session.Dest(), session.Info(), option);
        const int count = supported != nullptr ? ippGetCount(supported) : 0;
        for (int k = 0; k < count; ++k) {
            const char* value = ippGetString(supported, k, nullptr);
            if (value == nullptr)
                continue;
            if (NamesCdTray(value, true))
                return CupsTrayChoice{option, value, value};
            const char* localized =
                cupsLocalizeDestValue(session.Http(), session.Dest(), session.Info(), option, value);
            if (localized != nullptr && NamesCdTray(localized, false))
                return CupsTrayChoice{option, value, localized};
            if (!texts)
                texts = session.FetchStrings();
            const std::string key = std::string(option) + "." + value;
            for (const auto& [k2, text] : *texts)
                if (k2 == key && NamesCdTray(text, false))
                    return CupsTrayChoice{option, value, text};
        }
    }
    return std::nullopt;
}
