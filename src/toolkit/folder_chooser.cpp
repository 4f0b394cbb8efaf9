#include "toolkit/folder_chooser.h"

#include <QFileDialog>

namespace vantrel {

namespace {

FolderChooserHook& Hook() {
    static FolderChooserHook hook;
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

}  // namespace vantrel
