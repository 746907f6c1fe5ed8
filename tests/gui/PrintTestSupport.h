#pragma once

// Helpers for the window and print tests: one-colour pictures and picture files, cover
// formats, answering modal windows and message boxes from a timer.
#include "CollectingMessages.h"
#include "formats/FormatCatalogue.h"
#include "gui/GuiApp.h"
#include "images/RasterImage.h"
#include "surfaces/DrawingSurface.h"

// The colours of the test covers.
inline constexpr SurfaceColour kRed = RgbColour(255, 0, 0);
inline constexpr SurfaceColour kBlue = RgbColour(0, 0, 255);

// A PNG file of one colour (0x00BBGGRR).
bool WritePngFile(const std::string& path, int w, int h, SurfaceColour colour);

// A format of a size and type.
CoverFormat MakeFormat(const std::string& name, double width = 120.0, double height = 120.0,
                       const std::string& type = "CUSTOM");

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

// While alive, closes every message box that comes up and keeps its text, icon and
// buttons.
struct MessageBoxes {
    MessageBoxes();
    std::vector<std::string> texts;
    std::vector<QMessageBox::Icon> icons;
    std::vector<QMessageBox::StandardButtons> buttons;
    QTimer timer;
};
