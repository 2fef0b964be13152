#pragma once

#include "platform/DialogTemplate.h"
#include "platform/DialogUnits.h"
#include "platform/WindowTypes.h"

#include <QDialog>

#include <map>
#include <optional>
#include <string>

class QLineEdit;

namespace quorvel {

class CDialog;
class CListCtrl;

// One direction of a dialog's data exchange.
class DataExchange {
public:
    DataExchange(CDialog& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog& m_dialog;
    const bool m_bSaveAndValidate;
};

void DDX_Control(DataExchange& dx, int id, CListCtrl& list);
// Writing puts the text into the box only when it differs, so caret and selection stay.
// A box's text as bytes: those it was given, while it still shows their reading (followed by
// whatever was typed after it), else its text in UTF-8.
std::string EditBytes(const QLineEdit& edit);
void SetEditBytes(QLineEdit& edit, const std::string& bytes);
void DDX_Text(DataExchange& dx, int id, std::string& value);
// Writing: a value below 0 or above 2 is first set to 0.
void DDX_Check(DataExchange& dx, int id, int& value);

// A modal dialog built from a template table, with a command table searched before the base's
// rows (IDOK, IDCANCEL), a data exchange, and the lock-out that drops control notifications
// while fields are exchanged, so no write by the program runs a change handler.
class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(const DialogTemplate& tmpl, QWidget* parent = nullptr);

    // Creates the window, runs it until it ends, destroys it; returns the end code, -1 when
    // initialisation failed.
    int DoModal();
    // Creates the window and runs OnInitDialog without entering a modal loop. DoModal uses it;
    // tests drive a dialog created this way through Dispatch.
    bool Create();
    void EndDialog(int result);
    // Ends the window without an end code; OnDestroy runs (once, as on every way out).
    void DestroyWindow();
    bool IsDestroyed() const { return m_destroyed; }

    QWidget* GetDlgItem(int id) const;
    // true: controls into members (reading); false: members into controls (writing).
    bool UpdateData(bool saveAndValidate = true);

    // Routes a message through the command tables, unless the lock-out swallows it.
    void Dispatch(Message& msg);
    void SendCommand(int id);
    void SendSysCommand(unsigned commandId, long param = 0);

    const DialogTemplate& Template() const { return m_template; }
    const DialogUnits& Units() const { return m_units; }

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    // Returns true when a row handled the message. The base's rows: IDOK, IDCANCEL.
    virtual bool OnCmdMsg(Message& msg);
    virtual void OnDestroy() {}
    virtual void OnOK();
    virtual void OnCancel();
    // Default processing of what no table handles: Close of the system menu cancels.
    void DefWindowProc(Message& msg);

    void reject() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateControl(const ControlTemplate& ct);
    void FinishWindow();

    const DialogTemplate& m_template;
    DialogUnits m_units;
    std::map<int, QWidget*> m_controls;
    QWidget* m_firstTabStop = nullptr;
    bool m_lockout = false;
    bool m_created = false;
    bool m_inModalLoop = false;
    bool m_ending = false;
    bool m_destroyed = false;
    bool m_focusPending = false;
    int m_result = 0;
};

} // namespace quorvel
