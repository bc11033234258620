#include "platform/quiet_notices.h"

#include <QString>
#include <QtGlobal>

namespace quillo {

namespace {

QtMessageHandler previousHandler = nullptr;

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

}  // namespace

void quietRuntimeFolderNotice() {
    previousHandler = qInstallMessageHandler(handle);
}

}  // namespace quillo
