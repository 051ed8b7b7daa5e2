#pragma once
// The file extension dialog: the naming family of VU archives and of card
// archives, each the position of the chosen entry (-1 for a typed text that
// names no entry).

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TFormExtension : public QDialog {
    Q_OBJECT
public:
    explicit TFormExtension(QWidget* parent = nullptr);

    void ApplyLanguage(int code);

    // Selects entry format of each list (a value outside 0..3 selects none).
    void SelectFormats(int vehicleFormat, int cardFormat);
    // The entry each list's text names, -1 when it names none.
    int VehicleFormat() const;
    int CardFormat() const;

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* tachoComboBox;
    QComboBox* smartCardComboBox;
    QPushButton* Button1;

public slots:
    // Takes the choice (the dialog ends accepted) and closes.
    void Button1Click();
};
