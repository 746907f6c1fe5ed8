#pragma once

// Helpers for the window and print cycle tests: one-colour pictures and picture files, a
// small cover catalogue, answering modal windows and message boxes from a timer, and
// reading a printed PDF back with poppler's tools.
#include "CollectingMessages.h"
#include "formats/FormatCatalogue.h"
#include "gui/GuiApp.h"
#include "images/RasterImage.h"
#include "layout/Placement.h"
#include "layout/PrintJob.h"
#include "surfaces/DrawingSurface.h"

// The colours of the test covers.
inline constexpr SurfaceColour kRed = RgbColour(255, 0, 0);
inline constexpr SurfaceColour kBlue = RgbColour(0, 0, 255);

// A picture of one colour (0x00BBGGRR), in memory or as a PNG file.
bool FillImage(CRasterImage& image, int w, int h, SurfaceColour colour);
bool WritePngFile(const std::string& path, int w, int h, SurfaceColour colour);

// A format of a size and type.
CoverFormat MakeFormat(const std::string& name, double width = 120.0, double height = 120.0,
                       const std::string& type = "CUSTOM");

// Two formats: "Front" (CD_FRONT, 60 x 60 mm, placed automatically) and "Wide"
// (CUSTOM, 80 x 40 mm).
FormatCatalogue TestFormats();

// From now on, every pass of the event loop shows act the active modal window until
// act returns true (it has dealt with it). *answered tells whether it has. A window still
// up five seconds after it was answered is closed as a failure. The timer stops when the
// returned object goes.
std::unique_ptr<QTimer> AnswerModal(std::function<bool(QWidget*)> act, bool* answered);

// While alive, answers the first active modal window that is a T with act.
template <class T> struct Answer {
    explicit Answer(std::function<void(T&)> act)
        : timer(AnswerModal(
              [act = std::move(act)](QWidget* modal) {
                  T* window = qobject_cast<T*>(modal);
                  if (window != nullptr)
                      act(*window);
                  return window != nullptr;
              },
              &answered))
    {
    }
    bool answered = false;
    std::unique_ptr<QTimer> timer;
};

// For AnswerModal: answers the print dialog once it is up, with OK or Cancel.
std::function<bool(QWidget*)> AnswerPrintDialog(bool accept);

// While alive, closes every message box that comes up and keeps its text, icon and
// buttons.
struct MessageBoxes {
    MessageBoxes();
    std::vector<std::string> texts;
    std::vector<QMessageBox::Icon> icons;
    std::vector<QMessageBox::StandardButtons> buttons;
    QTimer timer;
};

// A print request of both covers of TestFormats' first format: a red left and a blue
// right picture of 30 x 30 pixels.
struct TwoCovers {
    TwoCovers();
    FormatCatalogue catalogue = TestFormats();
    CRasterImage left, right;
    CCollectingMessages messages;
    PrintJobRequest request;
};

// Where placement puts a cover of a catalogue's format, in sheet pixels of caps.
SurfaceRect PlacedBox(const DeviceCaps& caps, const FormatCatalogue& catalogue, int format, Side side,
                      bool singlePage);

// The number of pages of a PDF (pdfinfo); -1 when it cannot be read.
int PdfPageCount(const std::string& pdf);

// The bounding box, in sheet pixels at dpi, of the pixels of one page close to colour,
// looked for only inside search (pdftoppm renders just that part). Empty when there is
// none or the page cannot be rendered.
SurfaceRect FindColourBox(const std::string& pdf, int page, int dpi, const SurfaceRect& search,
                          SurfaceColour colour, const std::string& scratch);

// Success when the pixels close to colour on a page of a PDF form the box want (sheet
// pixels at dpi), each edge within a pixel.
::testing::AssertionResult ColourBoxAt(const std::string& pdf, int page, int dpi, const SurfaceRect& want,
                                       SurfaceColour colour, const std::string& scratch);
