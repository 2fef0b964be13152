#include "platform/FolderChooser.h"

#include <QFileDialog>

namespace quorvel {

std::optional<std::string> QtFolderChooser::ChooseFolder(QWidget* owner,
                                                         const std::string& title) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QString::fromUtf8(title), QStringLiteral("/"), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return std::string(QFile::encodeName(chosen).constData());
}

} // namespace quorvel
