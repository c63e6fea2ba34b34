#include "app/radio_focus.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>

namespace {

class CheckedButtonFocus : public QObject {
public:
    explicit CheckedButtonFocus(QButtonGroup* group) : QObject(group), group_(group) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        QAbstractButton* checked = group_->checkedButton();
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && checked && watched != checked)
            checked->setFocus(reason);
        return false;
    }

private:
    QButtonGroup* group_;
};

} // namespace

void focusCheckedOnTab(QButtonGroup* group)
{
    auto* filter = new CheckedButtonFocus(group);
    for (QAbstractButton* button : group->buttons())
        button->installEventFilter(filter);
}
