#pragma once

#include <QString>

class QWidget;

namespace quillo {

// The standard file chooser; an empty text when the user cancels. Tests give the
// next answer beforehand, as they do for messages.
QString ChooseOpenFileName(QWidget* owner, const QString& title, const QString& filter);
// The chooser of a file to write, starting at `suggested`; it asks before a
// file is replaced.
QString ChooseSaveFileName(QWidget* owner, const QString& title, const QString& filter,
                           const QString& suggested);
void setNextFileName(const QString& fileName);

}  // namespace quillo
