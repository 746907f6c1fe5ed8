#include "layout/CupsPrinters.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include <cups/cups.h>
#include <cups/pwg.h>

#include "layout/CupsSession.h"

namespace {

// A strings file larger than this is not a printer's texts.
constexpr std::size_t kMaxStringsBytes = std::size_t{4} << 20;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The words of a text in lower case: runs of letters and digits.
std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += char(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

} // namespace

bool NamesCdTray(const std::string& text, bool keyword)
{
    const std::vector<std::string> words = Words(text);
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& w = words[k];
        if (w == "cd" || w == "dvd" || w == "disc" || w == "bluray" || w == "cddvd")
            return true;
        if (w == "blu" && k + 1 < words.size() && words[k + 1] == "ray")
            return true;
        // Keywords run words together: cddvdtray, cdtray, disctray.
        if (keyword && (StartsWith(w, "cddvd") || w == "cdtray" || w == "disctray"))
            return true;
    }
    return false;
}

bool IsDiscMediaType(const std::string& keyword)
{
    const std::string k = Lower(keyword);
    return k == "cd" || StartsWith(k, "disc") || StartsWith(k, "cddvd");
}

int ChooseDiscPage(const std::vector<double>& sides, double discMm)
{
    int fits = -1, largest = -1;
    for (std::size_t k = 0; k < sides.size(); ++k) {
        const double side = sides[k];
        if (!(side >= 60 && side <= 140))
            continue;
        // Half a millimetre short still holds the disc: the edge is unprinted anyway.
        if (side >= discMm - 0.5 && (fits < 0 || side < sides[std::size_t(fits)]))
            fits = int(k);
        if (largest < 0 || side > sides[std::size_t(largest)])
            largest = int(k);
    }
    return fits >= 0 ? fits : largest;
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

std::optional<CupsDiscTray> CCupsPrinters::FindDiscTray(const std::string& printer, double discMm)
{
    CCupsSession session;
    if (!session.Open(printer) || !session.LoadInfo()) {
        error_ = session.LastError();
        return std::nullopt;
    }
    error_.clear();
    http_t* http = session.Http();
    cups_dest_t* dest = session.Dest();
    cups_dinfo_t* info = session.Info();
    CupsDiscTray tray;

    // The printer's texts for its choices, fetched once if libcups' own lookup gives none.
    std::optional<std::vector<std::pair<std::string, std::string>>> texts;
    if (ipp_attribute_t* sources = cupsFindDestSupported(http, dest, info, "media-source")) {
        for (int k = 0; k < ippGetCount(sources) && tray.source.empty(); ++k) {
            const char* value = ippGetString(sources, k, nullptr);
            if (value == nullptr)
                continue;
            const char* localized = cupsLocalizeDestValue(http, dest, info, "media-source", value);
            std::string text = localized != nullptr ? localized : "";
            if (text.empty() || text == value) {
                if (!texts)
                    texts = session.FetchStrings();
                const std::string key = std::string("media-source.") + value;
                for (const auto& [k2, t] : *texts)
                    if (k2 == key)
                        text = t;
            }
            if (NamesCdTray(value, true) || NamesCdTray(text, false)) {
                tray.source = value;
                tray.text = text.empty() ? value : text;
            }
        }
    }
    if (ipp_attribute_t* types = cupsFindDestSupported(http, dest, info, "media-type")) {
        for (int k = 0; k < ippGetCount(types) && tray.mediaType.empty(); ++k) {
            const char* value = ippGetString(types, k, nullptr);
            if (value != nullptr && IsDiscMediaType(value))
                tray.mediaType = value;
        }
    }
    if (tray.source.empty() && tray.mediaType.empty())
        return std::nullopt;
    if (tray.source.empty()) {
        const char* localized = cupsLocalizeDestValue(http, dest, info, "media-type", tray.mediaType.c_str());
        tray.text = localized != nullptr ? localized : tray.mediaType;
    }

    if (!tray.source.empty()) {
        // The square pages the driver offers; the disc is printed on one of them.
        std::vector<CupsMedia> squares;
        std::vector<double> sides;
        const int count = cupsGetDestMediaCount(http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int k = 0; k < count; ++k) {
            cups_size_t size{};
            if (!cupsGetDestMediaByIndex(http, dest, info, k, CUPS_MEDIA_FLAGS_DEFAULT, &size))
                continue;
            if (size.width <= 0 || std::abs(size.width - size.length) > 20)
                continue;
            CupsMedia m;
            m.name = size.media;
            m.size = PaperSize::Custom(size.width / 100.0, size.length / 100.0);
            m.margins = PaperMargins{std::max(0, size.left) / 100.0, std::max(0, size.top) / 100.0,
                                     std::max(0, size.right) / 100.0, std::max(0, size.bottom) / 100.0};
            squares.push_back(m);
            sides.push_back(m.size.widthMm);
        }
        const int chosen = ChooseDiscPage(sides, discMm);
        if (chosen >= 0) {
            tray.page = squares[std::size_t(chosen)];
            tray.discPage = true;
        }
    }
    if (!tray.discPage) {
        // A disc media type alone (or a tray without a disc page): an A4 or Letter sheet,
        // the queue's default one when it is either.
        std::optional<CupsMedia> sheet = GetMedia(printer);
        const auto isA4OrLetter = [](const std::optional<CupsMedia>& m) {
            return m && (StartsWith(m->name, "iso_a4_") || StartsWith(m->name, "na_letter_"));
        };
        if (!isA4OrLetter(sheet))
            sheet = GetMedia(printer, "iso_a4_210x297mm");
        if (!sheet)
            sheet = GetMedia(printer, "na_letter_8.5x11in");
        if (!sheet)
            return std::nullopt;
        tray.page = *sheet;
        error_.clear();
    }
    // Every gutenprint disc tray has the driver's own disc options (hub size, disc size,
    // fine position); the queue says which driver it runs in its make and model.
    const char* model = cupsGetOption("printer-make-and-model", dest->num_options, dest->options);
    tray.driverDiscOptions =
        !tray.source.empty() && model != nullptr && Lower(model).find("gutenprint") != std::string::npos;
    return tray;
}
