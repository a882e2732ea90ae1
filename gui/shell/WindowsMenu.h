// The "&Windows" menu: arrange the child windows and list the open ones,
// refreshed each time the menu opens.
#pragma once

#include <QObject>

class QAction;
class QMdiArea;
class QMenu;

namespace pellar {

class TWindowsMenu : public QObject {
    Q_OBJECT

public:
    TWindowsMenu(QMenu* menu, QMdiArea* area);

    QAction* CascadeItem() const { return cascade_; }
    QAction* TileItem() const { return tile_; }

    // Rebuilds the list of open windows below the arrange items.
    void Refresh();

private:
    QMenu* menu_;
    QMdiArea* area_;
    QAction* cascade_;
    QAction* tile_;
    QAction* separator_;
};

} // namespace pellar
