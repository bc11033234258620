#include "ui/file_dialog.h"

#include <QFileDialog>
#include <optional>

namespace quillo {

namespace {

std::optional<QString>& nextFileName() {
    static std::optional<QString> name;
    return name;
}

std::optional<QString> takeNextFileName() {
    std::optional<QString> name = nextFileName();
    nextFileName().reset();
    return name;
}

}  // namespace

void setNextFileName(const QString& fileName) {
    nextFileName() = fileName;
}

QString ChooseOpenFileName(QWidget* owner, const QString& title, const QString& filter) {
    if (const std::optional<QString> name = takeNextFileName())
        return *name;
    return QFileDialog::getOpenFileName(owner, title, QString(), filter);
}

QString ChooseSaveFileName(QWidget* owner, const QString& title, const QString& filter,
                           const QString& suggested) {
    if (const std::optional<QString> name = takeNextFileName())
        return *name;
    return QFileDialog::getSaveFileName(owner, title, suggested, filter);
}

}  // namespace quillo
