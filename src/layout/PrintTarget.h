#pragma once

#include <string>

#include "surfaces/DrawingSurface.h"

// Where a print job's pages go: a printer queue, a PDF file, pictures of the pages. A
// job calls StartDocument once, then StartPage/EndPage per page, then EndDocument (or
// AbortDocument to throw the pages away).
class CPrintTarget {
public:
    virtual ~CPrintTarget() = default;

    // The page in device pixels: resolution, sheet, printable area.
    virtual DeviceCaps GetDeviceCaps() const = 0;
    // Whether pages are shown rather than printed (guides drawn, covers not counted).
    virtual bool IsPreview() const { return false; }
    // Whether the pages are the driver's square disc page of a disc tray job: a disc is
    // then centred on it at its true size.
    virtual bool OnDiscPage() const { return false; }

    // The job's name is what the printer's queue shows.
    virtual bool StartDocument(const std::string& jobName) = 0;
    // The surface the page is drawn on, valid until EndPage; nullptr on failure.
    virtual CDrawingSurface* StartPage() = 0;
    virtual bool EndPage() = 0;
    // Finishes the document: writes the file or hands the job to the printer.
    virtual bool EndDocument() = 0;
    virtual void AbortDocument() = 0;

    // A short text saying what went wrong last ("" when nothing did).
    virtual std::string LastError() const { return std::string(); }
};
