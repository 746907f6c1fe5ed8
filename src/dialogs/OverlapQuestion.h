#pragma once

class QWidget;

// What the user wants when both covers would overlap on a single sheet.
enum class OverlapAnswer { TwoPages, PrintAnyway, Cancel };

// Asks, in the current language, whether covers that overlap on one sheet go on two
// pages, print on one sheet anyway, or do not print. Escape and the close box cancel.
OverlapAnswer AskAboutOverlap(QWidget* parent);

// The question's language keys and their English texts.
inline constexpr int kOverlapQuestionKey = 8030;
inline constexpr const char* kOverlapQuestionEnglish =
    "The two covers overlap on a single page. Print them on two pages instead?";
inline constexpr int kOverlapTwoPagesKey = 8031;
inline constexpr const char* kOverlapTwoPagesEnglish = "Two Pages";
inline constexpr int kOverlapPrintAnywayKey = 8032;
inline constexpr const char* kOverlapPrintAnywayEnglish = "Print Anyway";
inline constexpr int kOverlapCancelKey = 8033;
inline constexpr const char* kOverlapCancelEnglish = "Cancel";
