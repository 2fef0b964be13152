#include "platform/Dialog.h"

#include "platform/listctrl/FileListModel.h"
#include "platform/listctrl/FileListView.h"
#include "platform/listctrl/ListCtrl.h"
#include "res/resource.h"
#include "text/ReadableName.h"
#include "text/Utf8.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>
#include <vector>

namespace quorvel {

void DDX_Control(DataExchange& dx, int id, CListCtrl& list) {
    if (!list.IsAttached())
        if (auto* view = qobject_cast<FileListView*>(dx.m_dialog.GetDlgItem(id)))
            list.Attach(view);
}

namespace {

// What a box was last given that is not UTF-8: its bytes and the text it shows for them.
constexpr const char* kBytesProperty = "quorvelBytes";
constexpr const char* kShownProperty = "quorvelShown";

} // namespace

std::string EditBytes(const QLineEdit& edit) {
    const QString text = edit.text();
    const QString shown = edit.property(kShownProperty).toString();
    if (!shown.isEmpty() && text.startsWith(shown))
        return edit.property(kBytesProperty).toByteArray().toStdString() +
               text.mid(shown.size()).toUtf8().toStdString();
    return text.toUtf8().toStdString();
}

void SetEditBytes(QLineEdit& edit, const std::string& bytes) {
    if (IsValidUtf8(bytes)) {
        edit.setProperty(kShownProperty, QVariant());
        edit.setText(QString::fromUtf8(bytes));
        return;
    }
    // A folder unpacked from a Windows archive is named in Shift-JIS: the box reads it as such,
    // and while the box starts with that reading, the bytes behind it are what the box holds.
    const QString shown = QString::fromStdString(ReadablePath(bytes));
    edit.setProperty(kBytesProperty, QByteArray::fromStdString(bytes));
    edit.setProperty(kShownProperty, shown);
    edit.setText(shown);
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
    auto* edit = qobject_cast<QLineEdit*>(dx.m_dialog.GetDlgItem(id));
    if (!edit)
        return;
    if (dx.m_bSaveAndValidate) {
        value = EditBytes(*edit);
        return;
    }
    // The whole text is compared, however long: a box must never keep showing a text that
    // differs from its field.
    if (EditBytes(*edit) != value)
        SetEditBytes(*edit, value);
}

void DDX_Check(DataExchange& dx, int id, int& value) {
    auto* box = qobject_cast<QCheckBox*>(dx.m_dialog.GetDlgItem(id));
    if (!box)
        return;
    if (dx.m_bSaveAndValidate) {
        value = box->isChecked() ? 1 : 0;
        return;
    }
    if (value < 0 || value > 2)
        value = 0;
    box->setCheckState(value == 0   ? Qt::Unchecked
                       : value == 1 ? Qt::Checked
                                    : Qt::PartiallyChecked);
}

CDialog::CDialog(const DialogTemplate& tmpl, QWidget* parent)
    : QDialog(parent), m_template(tmpl), m_units(DialogFont()) {}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

bool CDialog::Create() {
    if (m_created)
        return true;
    m_created = true;
    CreateControls();
    FinishWindow();
    if (OnInitDialog()) {
        if (m_firstTabStop) {
            m_firstTabStop->setFocus(Qt::OtherFocusReason);
            m_focusPending = true;
        }
    }
    return true;
}

int CDialog::DoModal() {
    if (!Create())
        return -1;
    m_inModalLoop = true;
    const int code = exec();
    m_inModalLoop = false;
    if (!m_destroyed) {
        m_destroyed = true;
        OnDestroy();
    }
    return m_result != 0 ? m_result : code;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    if (m_inModalLoop) {
        m_ending = true;
        done(result);
        m_ending = false;
        return;
    }
    DestroyWindow();
}

void CDialog::DestroyWindow() {
    if (m_destroyed)
        return;
    if (m_inModalLoop) {
        // The modal run ends first; DoModal then destroys the window while its controls exist.
        m_ending = true;
        done(m_result);
        m_ending = false;
        return;
    }
    m_destroyed = true;
    OnDestroy();
    m_ending = true;
    hide();
    m_ending = false;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    const bool previous = std::exchange(m_lockout, true);
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    m_lockout = previous;
    return true;
}

void CDialog::Dispatch(Message& msg) {
    if (m_destroyed)
        return;
    const bool notification =
        (msg.message == WM_COMMAND && msg.fromControl) || msg.message == WM_NOTIFY;
    if (m_lockout && notification)
        return;
    if (!OnCmdMsg(msg))
        DefWindowProc(msg);
}

void CDialog::SendCommand(int id) {
    Message msg;
    msg.message = WM_COMMAND;
    msg.id = id;
    Dispatch(msg);
}

void CDialog::SendSysCommand(unsigned commandId, long param) {
    Message msg;
    msg.message = WM_SYSCOMMAND;
    msg.commandId = commandId;
    msg.param = param;
    Dispatch(msg);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(DataExchange&) {}

bool CDialog::OnCmdMsg(Message& msg) {
    if (msg.message != WM_COMMAND || msg.code != BN_CLICKED)
        return false;
    if (msg.id == IDOK) {
        OnOK();
        return true;
    }
    if (msg.id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DefWindowProc(Message& msg) {
    if (msg.message == WM_SYSCOMMAND && (msg.commandId & 0xFFF0) == SC_CLOSE)
        SendCommand(IDCANCEL);
}

void CDialog::reject() {
    // Esc: the dialog manager's cancel command.
    SendCommand(IDCANCEL);
}

void CDialog::accept() {
    SendCommand(IDOK);
}

void CDialog::closeEvent(QCloseEvent* event) {
    if (m_ending || m_destroyed) {
        QDialog::closeEvent(event);
        return;
    }
    // The close box and Alt+F4 arrive as the system menu's Close command.
    SendSysCommand(SC_CLOSE);
    if (isVisible() && !m_destroyed)
        event->ignore();
    else
        event->accept();
}

void CDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_focusPending && m_firstTabStop) {
        m_focusPending = false;
        m_firstTabStop->setFocus(Qt::OtherFocusReason);
    }
}

void CDialog::FinishWindow() {
    setFont(DialogFont());
    setWindowTitle(QString::fromUtf8(m_template.caption));
    Qt::WindowFlags flags = (m_template.style & WS_MINIMIZEBOX) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (m_template.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setFixedSize(m_units.toPixelsX(m_template.cx), m_units.toPixelsY(m_template.cy));
}

namespace {

// A text static that stands right above an edit box, from its left edge, is that box's label.
bool LabelsEdit(const ControlTemplate& label, const ControlTemplate& edit) {
    return label.cls == ControlClass::Static && (label.style & SS_TYPEMASK) != SS_ICON &&
           edit.cls == ControlClass::Edit && label.x == edit.x && label.y + label.cy == edit.y;
}

} // namespace

void CDialog::CreateControls() {
    QWidget* previousTabStop = nullptr;
    std::vector<QWidget*> built;
    for (const ControlTemplate& ct : m_template.controls) {
        QWidget* w = CreateControl(ct);
        built.push_back(w);
        w->setGeometry(m_units.toPixels(ct.x, ct.y, ct.cx, ct.cy));
        w->setVisible((ct.style & WS_VISIBLE) != 0);
        if (ct.id != IDC_STATIC)
            m_controls[ct.id] = w;
        if (ct.style & WS_TABSTOP) {
            w->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, w);
            else
                m_firstTabStop = w;
            previousTabStop = w;
        } else {
            w->setFocusPolicy(ct.cls == ControlClass::Static ? Qt::NoFocus : Qt::ClickFocus);
        }
    }
    // A screen reader names an edit box after its label, as a sighted user does.
    const std::span<const ControlTemplate> controls = m_template.controls;
    for (std::size_t l = 0; l < controls.size(); ++l)
        for (std::size_t e = 0; e < controls.size(); ++e)
            if (LabelsEdit(controls[l], controls[e]))
                static_cast<QLabel*>(built[l])->setBuddy(built[e]);
}

QWidget* CDialog::CreateControl(const ControlTemplate& ct) {
    const QString text = QString::fromUtf8(ct.text);
    const int id = ct.id;
    switch (ct.cls) {
    case ControlClass::Edit: {
        auto* edit = new QLineEdit(text, this);
        edit->setFrame((ct.style & WS_BORDER) != 0);
        connect(edit, &QLineEdit::textChanged, this, [this, id] {
            Message msg{WM_COMMAND, EN_CHANGE, id, true};
            Dispatch(msg);
        });
        return edit;
    }
    case ControlClass::Button: {
        QAbstractButton* button = nullptr;
        if ((ct.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
            button = new QCheckBox(text, this);
        } else {
            auto* push = new QPushButton(text, this);
            push->setAutoDefault(true);
            push->setDefault((ct.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            button = push;
        }
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            Message msg{WM_COMMAND, BN_CLICKED, id, true};
            Dispatch(msg);
        });
        return button;
    }
    case ControlClass::Static: {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        const std::uint32_t type = ct.style & SS_TYPEMASK;
        if (type != SS_ICON)
            label->setText(text);
        label->setAlignment((type == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        label->setObjectName(type == SS_ICON ? QStringLiteral("icon") : QString());
        return label;
    }
    case ControlClass::ListView: {
        auto* view = new FileListView(this);
        view->setListModel(new FileListModel(view));
        view->setFrameShape((ct.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
        connect(view, &FileListView::clickedInList, this, [this, id] {
            Message msg{WM_NOTIFY, NM_CLICK, id, true};
            Dispatch(msg);
        });
        connect(view, &FileListView::columnClicked, this, [this, id](int column) {
            Message msg{WM_NOTIFY, LVN_COLUMNCLICK, id, true};
            msg.subItem = column;
            Dispatch(msg);
        });
        return view;
    }
    }
    return new QWidget(this);
}

} // namespace quorvel
