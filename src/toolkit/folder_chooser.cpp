#include "toolkit/folder_chooser.h"

#include <QFileDialog>

namespace vantrel {

namespace {

FolderChooserHook& Hook() {
    static FolderChooserHook hook;
    return hook;
}

SaveChooserHook& SaveHook() {
    static SaveChooserHook hook;
    return hook;
}

}  // namespace

void SetFolderChooserHook(FolderChooserHook hook) {
    Hook() = std::move(hook);
}

QString ChooseFolder(QWidget* parent, const QString& title) {
    if (Hook()) return Hook()(title);
    // Qt's own dialog always has the path field; a desktop's native one may not.
    return QFileDialog::getExistingDirectory(
        parent, title, QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void SetSaveChooserHook(SaveChooserHook hook) {
    SaveHook() = std::move(hook);
}

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter) {
    if (SaveHook()) return SaveHook()(suggested);
    return QFileDialog::getSaveFileName(parent, title, suggested, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

}  // namespace vantrel
