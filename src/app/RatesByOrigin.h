#pragma once
#include "rates/OriginRates.h"

#include <QWidget>

class Connection;
class QComboBox;
class QLabel;
class QTableWidget;

// Every published rate of one code, and which applies to goods of the origin the user picks:
// MFN, provisional and general rates, each agreement with the countries it covers, the export
// duties; the lowest applicable rate is marked and a line says which agreement gives it and what
// applies otherwise. The origin is remembered per user. A window of its own, beside the main one.
class RatesByOrigin : public QWidget {
    Q_OBJECT
public:
    explicit RatesByOrigin(Connection &connection, QWidget *parent = nullptr);

    // Reads the rates of a code (plain, as the detail view shows it) and shows them.
    void showCode(const QString &plainCode, const QString &name);

    // Where the chosen origin is remembered.
    static QString settingsKey();

private:
    QLabel *title_ = nullptr;
    QComboBox *origin_ = nullptr;
    QTableWidget *table_ = nullptr;
    QLabel *summary_ = nullptr;
    void chooseOrigin();
    void fill();

    Connection &connection_;
    RateSheet sheet_;
};
