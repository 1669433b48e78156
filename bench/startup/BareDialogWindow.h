#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

// The window of the start-up benchmark's yardsticks: a dialog about the login window's size with
// two labelled fields, a check box and a button, and nothing else.
inline void fillBareDialog(QDialog& dialog, const QString& title) {
    dialog.setWindowTitle(title);
    dialog.setFixedSize(305, 240);

    auto* userLabel = new QLabel(QStringLiteral("Username"), &dialog);
    userLabel->setGeometry(80, 45, 70, 17);
    auto* user = new QLineEdit(&dialog);
    user->setGeometry(152, 42, 133, 21);
    auto* passwordLabel = new QLabel(QStringLiteral("Password"), &dialog);
    passwordLabel->setGeometry(80, 75, 70, 17);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    password->setGeometry(152, 72, 133, 21);
    auto* save = new QCheckBox(QStringLiteral("Save Login"), &dialog);
    save->setGeometry(152, 100, 97, 17);
    auto* login = new QPushButton(QStringLiteral("Login"), &dialog);
    login->setGeometry(72, 132, 80, 25);
    QObject::connect(login, &QPushButton::clicked, &dialog, &QDialog::accept);
}
