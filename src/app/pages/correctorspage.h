#pragma once

#include <QWidget>

class CorrectorsModel;
class PageHost;
class QComboBox;
class QPushButton;
class StringGrid;

// "Корректоры": type, serial number, version, line speed and archive start date of the
// correctors on X10, X15 and X11, and their auto-detection.
class CorrectorsPage : public QWidget
{
    Q_OBJECT
public:
    CorrectorsPage(CorrectorsModel &correctors, PageHost &host, QWidget *parent = nullptr);

    StringGrid *StringGrid2 = nullptr;
    QComboBox *ComboBox5 = nullptr;
    QPushButton *Button8 = nullptr;
    QPushButton *Button11 = nullptr;
    QPushButton *Button16 = nullptr;

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitRowsToSelectors();
};
