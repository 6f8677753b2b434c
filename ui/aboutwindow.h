#pragma once

#include <QWidget>

namespace Ui {
class TFrmAbout;
}

// The about window: one at a time, owned by nobody, freed when closed. It
// stays above the main window so it is not lost behind it while the user
// goes on working there.
class TFrmAbout : public QWidget {
    Q_OBJECT

public:
    // Shows the about window, creating it unless one is already open. It
    // names the settings file, which depends on where the program lives.
    static void ShowOnce(const QString &settingsFile);

    explicit TFrmAbout(const QString &settingsFile, QWidget *parent = nullptr);
    ~TFrmAbout() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The form's text followed by the settings file, worded at start and
    // on each change of language.
    void retranslate();

    Ui::TFrmAbout *m_ui;
    QString m_settingsFile;
    bool m_placed = false;
};

// The open about window; null while there is none.
extern TFrmAbout *FrmAbout;
