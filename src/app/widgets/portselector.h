#pragma once

#include "link/listcomports.h"

#include <QComboBox>

#include <functional>

// The port selector: a drop-down list of device paths that are often longer than the box.
// Its list opens as wide as its longest entry, each entry's tool tip says what the system
// knows of the device, and the closed box shows its entry's tool tip, the full path first.
// Just before the list opens it asks for a fresh scan, so a port plugged in meanwhile is there.
class PortSelector : public QComboBox
{
    Q_OBJECT
public:
    explicit PortSelector(QWidget *parent = nullptr);

    // Runs just before the list opens.
    void setBeforePopup(std::function<void()> beforePopup);
    // The entries and the one to select (-1: none).
    void setPorts(const QList<SerialPortInfo> &ports, int current);
    QStringList ports() const;

    void showPopup() override;

private:
    void showCurrentToolTip();

    std::function<void()> m_beforePopup;
};
