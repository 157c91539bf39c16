#pragma once

#include "app/ControlBar.h"
#include "app/UserBar.h"
#include "catalogue/CatalogueActions.h"
#include "catalogue/FolderTreeView.h"
#include "catalogue/ProjectListView.h"
#include "catalogue/TreeSelectionDebounce.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QSplitter>
#include <QString>
#include <QToolBar>
#include <QtGlobal>

// A window's control as the user meets it, by its object name; a name the window lacks ends
// the test at once instead of crashing it later.
template <class T = QAction> T* control(QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) {
        qFatal("The window has no control named %s of the asked type", name);
    }
    return found;
}
