#pragma once
// The clock dialog: sets the Vexa's clock and whether the Vexa's own clock
// stamps its archives. A new one is made for every opening.

#include <QDateTime>
#include <QDialog>

class ISerialPort;
class QCheckBox;
class QDateEdit;
class QPushButton;
class QTimeEdit;

class TFicheConfigVexaDateTime : public QDialog {
    Q_OBJECT
public:
    explicit TFicheConfigVexaDateTime(QWidget* parent = nullptr);

    void ApplyLanguage(int code);
    // Lends port, loads the option, presets today and now, shows the dialog modally.
    int RunModal(ISerialPort& port);
    void LoadClockSetting();
    void SaveClockSetting();
    // The date of the date picker at the time of day of the time picker.
    QDateTime Moment() const;
    int SendClock();

    QDateEdit* DateTimePicker1;
    QTimeEdit* DateTimePicker2;
    QCheckBox* cbUseVexaRealtimeClock;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

    ISerialPort* Port = nullptr;

public slots:
    // Saves the option, sends the clock, tells the outcome and closes.
    void BitBtn1Click();
};
