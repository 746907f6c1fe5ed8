#include "dialogs/ExtendedFileDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QLayout>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/AppSettings.h"
#include "app/DialogTextSource.h"
#include "dialogs/Preview.h"

namespace {

// One filter: the name the user sees and the patterns, separated by ";".
QString FilterEntry(const std::string& shown, const char* patterns)
{
    QString list = QString::fromLatin1(patterns);
    list.replace(QLatin1Char(';'), QLatin1Char(' '));
    return QString::fromStdString(shown) + QStringLiteral(" (") + list + QLatin1Char(')');
}

std::string ToLocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Shows the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A file opened for reading only to learn its length; closed when it goes.
class OpenedFile {
public:
    // Only regular files count: a folder, a device or a pipe is not a picture, and
    // opening a pipe must not wait for a writer (hence O_NONBLOCK).
    explicit OpenedFile(const std::string& path)
    {
        if (path.empty())
            return;
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        size_ = static_cast<unsigned long long>(info.st_size);
    }
    ~OpenedFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    unsigned long long Size() const { return size_; }

private:
    int fd_ = -1;
    unsigned long long size_ = 0;
};

} // namespace

QStringList ImageFileFilters(const std::string& supportedName, const std::string& allFilesName)
{
    // "*" stands for every file: names without a dot are files too.
    return {
        FilterEntry(supportedName, "*.png;*.tif;*.gif;*.jpg;*.jpeg;*.bmp"),
        FilterEntry("CompuServe Graphics Interchange (*.gif)", "*.gif"),
        FilterEntry("JPEG (*.jpg; *.jpeg)", "*.jpg;*.jpeg"),
        FilterEntry("Portable Network Graphics (*.png)", "*.png"),
        FilterEntry("Windows or OS/2 Bitmap (*.bmp)", "*.bmp"),
        FilterEntry(allFilesName + " (*.*)", "*"),
    };
}

PanelValues DescribePicture(int width, int height, int bitsPerPixel, unsigned long long fileBytes)
{
    PanelValues values;
    values.resolution = ": " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    values.colourDepth = ": " + std::to_string(bitsPerPixel) + " bits per pixel";
    values.fileSize = ": " + std::to_string(fileBytes / 1024) + " KB";
    return values;
}

CPreviewPanel::CPreviewPanel(CExtendedFileDialog& owner, int showPreview)
    : CTemplateDialog(kTemplateId, &owner), owner_(owner), showPreview_(showPreview)
{
    // A child widget of the file dialog, not a window of its own.
    setWindowFlags(Qt::Widget);
}

QWidget* CPreviewPanel::CreateControl(const ControlTemplate& control, QWidget* parent)
{
    if (control.id != kIdPreview)
        return nullptr;
    preview_ = new CPreview(parent);
    return preview_;
}

void CPreviewPanel::OnInitDialog()
{
    TranslateDialog(*this, kTextPairs, kCaptionKey);
    Form().SetChecked(kIdShowPreview, showPreview_ != 0);
}

void CPreviewPanel::OnCommand(int id, Notification what)
{
    // Switching the box either way describes the current file at once.
    if (id == kIdShowPreview && what == Notification::Clicked)
        owner_.UpdatePanel();
}

void CPreviewPanel::OnCancel()
{
    owner_.reject();
}

CExtendedFileDialog::CExtendedFileDialog(bool allowMultiSelect, AppSettings& settings, QWidget* parent)
    : QFileDialog(parent), settings_(settings)
{
    // The toolkit's own dialog: the desktop's cannot carry the panel.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::ReadOnly, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(allowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    setDefaultSuffix(QString());

    setWindowTitle(QString::fromStdString(DialogText(kTitleKey, kTitleEnglish)));
    const std::string supported = DialogText(kSupportedFilterKey, kSupportedFilterEnglish);
    const std::string allFiles = DialogText(kAllFilesFilterKey, kAllFilesFilterEnglish);
    const QStringList filters = ImageFileFilters(supported, allFiles);
    setNameFilters(filters);
    selectNameFilter(filters.front());

    // An empty folder leaves the choice to the dialog (the working folder).
    const std::string folder = settings_.ReadText(Setting::LastUsedPath);
    if (!folder.empty())
        setDirectory(QString::fromStdString(folder));

    panel_ = new CPreviewPanel(*this, settings_.ReadInt(Setting::ShowPreview));
    panel_->Create();
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(panel_, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    else if (layout() != nullptr)
        layout()->addWidget(panel_);
    panel_->show();
    // Room for a useful file list above the panel.
    resize(std::max(width(), 640), std::max(height(), 600));

    connect(this, &QFileDialog::currentChanged, this, &CExtendedFileDialog::OnSelectionChange);
}

CExtendedFileDialog::~CExtendedFileDialog()
{
    settings_.WriteInt(Setting::ShowPreview, panel_->Form().Checked(CPreviewPanel::kIdShowPreview) ? 1 : 0);
}

std::vector<std::string> CExtendedFileDialog::ChosenPaths() const
{
    std::vector<std::string> paths;
    const QStringList files = selectedFiles();
    for (const QString& file : files)
        paths.push_back(ToLocalPath(file));
    return paths;
}

void CExtendedFileDialog::OnSelectionChange(const QString& path)
{
    currentPath_ = path;
    if (panel_->Form().Checked(CPreviewPanel::kIdShowPreview))
        UpdatePanel();
}

void CExtendedFileDialog::UpdatePanel()
{
    PanelValues values;
    {
        const WaitCursor wait;
        const std::string path = ToLocalPath(currentPath_);
        const OpenedFile file(path);
        CPreview* preview = panel_->Preview();
        if (file.IsOpen() && preview != nullptr) {
            preview->LoadPreview(path);
            int width = 0;
            int height = 0;
            if (preview->GetDimensions(width, height))
                values = DescribePicture(width, height, preview->GetBitsPerPixel(), file.Size());
        }
    }
    CTemplateForm& form = panel_->Form();
    form.SetText(CPreviewPanel::kIdResolution, values.resolution);
    form.SetText(CPreviewPanel::kIdFileSize, values.fileSize);
    form.SetText(CPreviewPanel::kIdColourDepth, values.colourDepth);
}

std::vector<std::string> ChooseImageFiles(QWidget* parent, bool allowMultiple, AppSettings& settings)
{
    CExtendedFileDialog dialog(allowMultiple, settings, parent);
    if (dialog.DoModal() != QDialog::Accepted)
        return {};
    return dialog.ChosenPaths();
}
