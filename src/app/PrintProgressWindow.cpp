#include "app/PrintProgressWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogTextSource.h"

CPrintProgressWindow::CPrintProgressWindow(const QString& documentName, const QString& printerName,
                                           QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(DialogText(8000, "Printing")));
    setObjectName(QStringLiteral("printProgress"));
    // The rest of the program waits while the job runs; only Cancel answers.
    setWindowModality(Qt::ApplicationModal);

    document_ = new QLabel(documentName, this);
    document_->setObjectName(QStringLiteral("document"));
    document_->setAlignment(Qt::AlignHCenter);
    printer_ = new QLabel(printerName, this);
    printer_->setObjectName(QStringLiteral("printer"));
    printer_->setAlignment(Qt::AlignHCenter);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("page"));
    pageLabel_->setAlignment(Qt::AlignHCenter);
    cancel_ = new QPushButton(QString::fromStdString(DialogText(8001, "Cancel")), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &CPrintProgressWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(document_);
    layout->addWidget(printer_);
    layout->addWidget(pageLabel_);
    layout->addLayout(buttons);
    setMinimumWidth(280);
    SetPage(1);
}

void CPrintProgressWindow::SetPage(int page)
{
    page_ = page;
    // The page number stands where the text has its "%d".
    pageLabel_->setText(QString::fromStdString(DialogText(8002, "Page %d"))
                            .replace(QStringLiteral("%d"), QString::number(page)));
    if (isVisible())
        repaint();
}

void CPrintProgressWindow::reject()
{
    // The window stays up until the job has finished its page and stopped.
    cancelled_ = true;
    cancel_->setEnabled(false);
}
