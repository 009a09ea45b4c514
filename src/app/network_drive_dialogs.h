// The map and disconnect network drive dialogs of the desktop: a remote and a free letter,
// or a list of the letters that carry a connection.
#pragma once

#include "platform/api/platform.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace zv::app {

class MapNetworkDriveDialog final : public QDialog {
    Q_OBJECT
public:
    MapNetworkDriveDialog(platform::Platform& platform, QWidget* parent);

    QComboBox* letterBox() const { return m_letter; }
    QLineEdit* remoteBox() const { return m_remote; }

public slots:
    void accept() override;

private:
    platform::Platform& m_platform;
    QComboBox* m_letter;
    QLineEdit* m_remote;
};

class DisconnectNetworkDriveDialog final : public QDialog {
    Q_OBJECT
public:
    DisconnectNetworkDriveDialog(platform::Platform& platform, QWidget* parent);

    QListWidget* letterList() const { return m_list; }

public slots:
    void accept() override;

private:
    platform::Platform& m_platform;
    QListWidget* m_list;
};

}  // namespace zv::app
