#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>

// Reads a workbook with an office library we did not write (openpyxl, see read_workbook.py)
// and returns what it saw: values and left borders of the given cells, the pictures' anchors.
inline QJsonObject readWorkbookIndependently(const QString& path, const QStringList& cells) {
    QProcess python;
    python.start(
        QStringLiteral(KV_PYTHON3),
        QStringList{QStringLiteral(KV_SOURCE_DIR "tests/tournament/read_workbook.py"), path} +
            cells);
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
