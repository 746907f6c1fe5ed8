#include "images/CoverDetection.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "formats/FormatCatalogue.h"
#include "i18n/DefaultTexts.h"
#include "i18n/UserMessages.h"
#include "images/ImageDecoder.h"
#include "images/RasterImage.h"

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

} // namespace

int ImageTypeFromPath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return kUnsupportedImageType;
    const std::string extension = Lower(path.substr(dot + 1));
    if (extension == "gif")
        return kImageGif;
    if (extension == "bmp")
        return kImageBmp;
    if (extension == "png")
        return kImagePng;
    if (extension == "jpg" || extension == "jpeg")
        return kImageJpeg;
    return kUnsupportedImageType;
}

int DetectFormat(CRasterImage& image, const FormatCatalogue& catalogue, bool autoRotate,
                 CUserMessages& messages)
{
    if (catalogue.GetCount() == 0 || !image.IsValid())
        return catalogue.GetCount() == 0 ? -1 : 0;
    const double ratio = static_cast<double>(static_cast<unsigned>(image.GetHeight())) /
                         static_cast<double>(static_cast<unsigned>(image.GetWidth()));
    double bestDifference = 1000.0;
    int bestIndex = 0;
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        if (!catalogue.GetAutodetect(i))
            continue;
        const double d = catalogue.GetAspectRatio(i) - ratio;
        if (std::fabs(d) < std::fabs(bestDifference)) {
            bestDifference = d;
            bestIndex = i;
        }
    }

    // A picture twice as wide as high is a front + inside cover lying on its side; it
    // belongs to the second format, upright.
    if (std::fabs(0.5 - ratio) < std::fabs(bestDifference) && catalogue.GetCount() > 1) {
        if (!autoRotate)
            messages.ShowInformation(messages.Text(kMsgSidewaysFrontInside));
        image.Rotate(90.0f);
        bestIndex = 1;
    } else {
        // A DVD sleeve lying on its side would not fit an A4 or Letter page.
        int dvd = -1;
        for (int i = 0; i < catalogue.GetCount() && dvd == -1; ++i)
            if (catalogue.GetTraits(i).turnedSideways)
                dvd = i;
        if (dvd != -1 && catalogue.GetAutodetect(dvd) &&
            std::fabs(0.67 - ratio) < std::fabs(bestDifference)) {
            if (autoRotate || messages.AskYesNo(messages.Text(kMsgSidewaysDvd))) {
                image.Rotate(-90.0f);
                bestIndex = dvd;
            }
        }
    }
    return catalogue.HasRemap(bestIndex) ? catalogue.GetRemap(bestIndex) : bestIndex;
}

std::vector<std::string> CompanionCandidates(const std::string& path, const CompanionKeywords& keywords)
{
    std::vector<std::string> candidates;
    const std::string upper = Upper(path);
    const std::size_t slash = upper.rfind('/');
    if (slash == std::string::npos)
        return candidates;
    const std::size_t pairs = std::min(keywords.front.size(), keywords.back.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::string key = Upper(keywords.front[i]);
        if (key.empty())
            continue;
        // Only the file name is searched, so a keyword in a folder name alone is no match.
        const std::size_t at = upper.find(key, slash);
        if (at == std::string::npos)
            continue;
        // The match in the path's own letter case is replaced everywhere, folders included.
        const std::string spelling = path.substr(at, key.size());
        candidates.push_back(ReplaceAll(path, spelling, keywords.back[i]));
    }
    return candidates;
}

std::string FindCompanion(const std::string& path, const CompanionKeywords& keywords)
{
    for (const std::string& candidate : CompanionCandidates(path, keywords)) {
        if (candidate == path)
            continue;
        // Only a regular file counts, and it is never opened here: a named pipe or a
        // file on a mount that does not answer would stop the caller.
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return candidate;
    }
    return std::string();
}

std::string FolderOfPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string FileNameOfPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
