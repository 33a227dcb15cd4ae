#pragma once

#include <span>
#include <type_traits>

// A dialog's command table: control id to member handler. A derived dialog declares
//   static constexpr CommandEntry<CMyDlg> kCommands[] = {{IDC_GO, &CMyDlg::OnGo}};
// and routes its commands with
//   bool OnCommand(int id) override { return DispatchCommand(this, kCommands, id); }
template <class D>
struct CommandEntry {
    int id;
    void (D::*handler)();
};

// Runs the handler of the first entry for this id; false when the table has none.
template <class D>
bool DispatchCommand(D* dialog, std::span<const CommandEntry<std::type_identity_t<D>>> table,
                     int id) {
    for (const auto& entry : table) {
        if (entry.id == id) {
            (dialog->*entry.handler)();
            return true;
        }
    }
    return false;
}
