#pragma once
// The device configuration dialog: which VU data the Vexa fetches, the
// language of its display and its download mode. OK saves the choice; the
// main window then sends it to the Vexa.

#include "uDeviceFlows.h"

#include <QDialog>

class ISerialPort;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TUpDown;

class TFicheConfigVexa : public QDialog {
    Q_OBJECT
public:
    // Loads the saved settings at once.
    explicit TFicheConfigVexa(QWidget* parent = nullptr);

    void LoadSettings();
    void UpdateDaysVisibility();
    void ApplyLanguage(int code);
    // Shows the dialog modally with port lent to it; QDialog::Accepted (1) for OK.
    int RunModal(ISerialPort& port);

    // What the Vexa receives, as the controls and Mode say now.
    TVexaSettings Settings() const;

    QCheckBox* cbOverview;
    QCheckBox* cbActivite;
    QCheckBox* cbEvents;
    QCheckBox* cbSpeed;
    QCheckBox* cbTechnicalData;
    QLabel* Label1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QLabel* Label2;
    QComboBox* cbLangue;
    QRadioButton* rbCompanyMode;
    QRadioButton* rbWorkshopMode;
    QRadioButton* rbLastDaysMode;
    QLineEdit* edLastDays;
    TUpDown* udLastDays;
    QLabel* Label3;
    QPushButton* bbtnDateAndTime;

    int Mode = 0;
    int InterfaceLanguage = 0;
    ISerialPort* Port = nullptr;

public slots:
    // Saves the controls and computes Mode (the dialog then ends accepted).
    void BitBtn1Click();
    void bbtnDateAndTimeClick();

protected:
    void showEvent(QShowEvent* event) override;
};
