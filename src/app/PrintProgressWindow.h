#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The "Printing" window beside a running job: the document, the page being printed and
// the printer, with Cancel. Cancel only raises a flag; the job looks at it after each
// page, so the page being printed is finished first.
class CPrintProgressWindow : public QDialog {
    Q_OBJECT

public:
    CPrintProgressWindow(const QString& documentName, const QString& printerName, QWidget* parent = nullptr);

    // Shows "Page %d" for the page now being printed and paints it at once (the job
    // keeps the event loop busy between pages).
    void SetPage(int page);
    int Page() const { return page_; }
    bool Cancelled() const { return cancelled_; }

    QLabel* DocumentLabel() const { return document_; }
    QLabel* PageLabel() const { return pageLabel_; }
    QLabel* PrinterLabel() const { return printer_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    // Escape and the window's close box cancel like the button does.
    void reject() override;

private:
    QLabel* document_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* printer_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int page_ = 0;
    bool cancelled_ = false;
};
