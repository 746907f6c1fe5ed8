#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/DialogTemplate.h"
#include "app/FixedFontLayout.h"

// What a control tells its owner.
enum class Notification {
    Clicked,           // a button, check box, radio, clickable text or paper was clicked
    SelectionAccepted, // a drop-down list's choice was taken
    SelectionChanged,  // a list's current row changed
    TextChanged,       // the user edited a field
    DoubleClicked,     // a list row was double-clicked
    FocusLost          // a field lost the keyboard focus
};

// The controls of one template made as Qt widgets on a host widget, placed at the pixel
// positions the template gives at 96 dots per inch with the template's own font. Kinds
// without a standard widget (papers, spin arrows, list views, custom controls) come
// from the owner's factory.
class CTemplateForm {
public:
    using Factory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;
    using Notify = std::function<void(int id, Notification what)>;

    // Builds the controls of template templateId on host; false when the template is
    // missing (the host then stays empty).
    bool Create(QWidget* host, int templateId, const Factory& factory, const Notify& notify,
                double dotsPerInch = 96.0);

    const DialogTemplate& Template() const { return template_; }
    const FixedFontLayout& Layout() const { return layout_; }
    QSize ClientSize() const { return layout_.ToPixels(template_.width, template_.height); }

    QWidget* Item(int id) const;
    template <class T> T* ItemAs(int id) const { return qobject_cast<T*>(Item(id)); }
    std::vector<int> ControlIds() const;

    // Text of a control as the template writes it ("&" marks the accelerator).
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    bool Enabled(int id) const;
    void Enable(int id, bool enabled);
    // Current row of a list or drop-down list, -1 when none.
    int CurrentIndex(int id) const;
    void SetCurrentIndex(int id, int index);

private:
    QWidget* MakeStandard(const ControlTemplate& control, QWidget* parent, const Notify& notify);

    DialogTemplate template_;
    FixedFontLayout layout_;
    std::map<int, QPointer<QWidget>> items_;
};

// Qt shows "&&" as "&" and "&x" as an underlined x on buttons; labels get the same look.
QString StaticDisplayText(const std::string& templateText);
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
