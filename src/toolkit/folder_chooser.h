#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vantrel {

// Asks the user for a folder in a dialog with the given title that also has
// a field to type the path into. An empty text when the user cancels.
QString ChooseFolder(QWidget* parent, const QString& title);

// While set, ChooseFolder shows nothing and returns what the hook returns for
// the title: how tests answer the dialog.
using FolderChooserHook = std::function<QString(const QString& title)>;
void SetFolderChooserHook(FolderChooserHook hook);

// Asks for the name of a new file, starting at `suggested` (a path), showing
// the files `filter` names ("表格 (*.xls)"). An empty text when the user cancels.
QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter);

// While set, ChooseSaveFile shows nothing and returns what the hook returns
// for the suggested path.
using SaveChooserHook = std::function<QString(const QString& suggested)>;
void SetSaveChooserHook(SaveChooserHook hook);

}  // namespace vantrel
