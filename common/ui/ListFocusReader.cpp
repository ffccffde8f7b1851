#include "common/ui/ListFocusReader.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace {

void ReportCurrentCell(QAbstractItemView* list) {
    const QModelIndex current = list->currentIndex();
    if (!current.isValid() || !list->hasFocus()) return;
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list);
    QAccessibleTableInterface* table = view ? view->tableInterface() : nullptr;
    QAccessibleInterface* cell = table ? table->cellAt(current.row(), current.column()) : nullptr;
    if (!cell) return;
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

class FocusWatch : public QObject {
public:
    explicit FocusWatch(QAbstractItemView* list) : QObject(list), m_list(list) {}

    bool eventFilter(QObject*, QEvent* event) override {
        // After the view's own focus news, which names the view only.
        if (event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, this, [list = QPointer<QAbstractItemView>(m_list)] {
                if (list) ReportCurrentCell(list);
            });
        }
        return false;
    }

private:
    QAbstractItemView* m_list;
};

}  // namespace

void ReadCurrentRowOnFocus(QAbstractItemView* list) {
    list->installEventFilter(new FocusWatch(list));
}
