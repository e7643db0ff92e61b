// A top-level window built in one step from its control table, in the manner
// of the layout descriptions: Main and the three dialogs are Forms. A Form
// object outlives its window: Load creates the window and every control,
// Unload destroys them, and the next Load builds them afresh from the table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "ui/ControlRef.h"
#include "ui/ControlRow.h"

namespace ui {

enum class Frame : std::uint8_t {
    Sizable,    // resizable border, system menu, minimise box; in the taskbar
    FixedDialog // dialog frame with the close box only; owned, so not in the taskbar
};

enum class Placement : std::uint8_t { CentreScreen, CentreOwner };

// The window's own properties; sizes in twips. An outer size of 0 means that
// only the client area is given and the frame is added to it.
struct WindowDescription {
    Name name; // what the table's top-level rows give as their container
    const char* title;
    int icon; // the icon resource of the window and its taskbar button; 0 for none
    Frame frame;
    Placement placement;
    int clientWidth;
    int clientHeight;
    int outerWidth = 0;
    int outerHeight = 0;
};

// The table is not copied: it must outlive the Form, as the windows' constant
// tables do.
class Form {
public:
    // A table with its order of creation (ui/CreationOrder.h), worked out as
    // the program was compiled.
    Form(WindowDescription description, std::span<const ControlRow> table,
         std::span<const std::uint8_t> creationOrder);
    // A table put together at run time, whose order is worked out here. One
    // that CreationOrder rejects fails to load: its controls are then created
    // in table order, and the first whose container is not built yet stops
    // Load.
    Form(WindowDescription description, std::span<const ControlRow> table);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const WindowDescription& Description() const { return description_; }
    std::span<const ControlRow> Table() const { return table_; }

    // Creates the window hidden, builds every control and runs OnLoad;
    // nothing happens when the window exists already.
    void Load();
    // Destroys the window and its controls; a modal showing then returns.
    void Unload();
    bool IsLoaded() const { return window_ != nullptr; }
    HWND Hwnd() const { return window_; }

    // Shows the window without blocking, the focus on its first tab stop.
    void Show();
    // Shows the window modally over its owner: the owner takes no input until
    // this window has been unloaded, then gets the activation back.
    void ShowModal();

    // A control by name, or a group member by name and index. Touching a
    // control of an unloaded form loads it first.
    ControlRef Control(Name name, int index = NoIndex);

    // Positions every control, scales the fonts and sizes the window for the
    // given DPI. Load runs it at the window's DPI before it builds the controls,
    // which are then created in place; a change of DPI runs it again.
    void ApplyLayout(int dpi);
    // The window's outer size in pixels at the given DPI: the given outer
    // size, or the client area with the frame the window has at that DPI.
    SIZE OuterSize(int dpi) const;
    // The DPI the current layout was made for.
    int Dpi() const { return layoutDpi_; }

    // Gives the default frame to the focused push button, or else to the
    // keyboard button: what the message loops do after Tab.
    void FrameFocusedButton();

    // The Form whose top-level window this is, or null.
    static Form* FromWindow(HWND window);
    // The row of a built control, or null.
    static const ControlRow* RowOf(HWND control);

protected:
    virtual void OnLoad() {}
    // A notification of a control, decoded into its group (or name), index
    // and notification code.
    virtual void OnControlCommand(Name name, int index, int notification);
    // The close box, Alt+F4, the system menu or the system asks to close; the
    // window unloads unless this returns false.
    virtual bool OnCloseRequest() { return true; }
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Built {
        const ControlRow* row;
        HWND window;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void BuildControls();
    // The layout's font for a row, or null for a row that names none.
    HFONT FontOf(Font font) const;
    HWND ContainerOf(const ControlRow& row) const;
    const Built* Find(HWND window) const;
    // A move to a monitor of another DPI, or a new scale of this one.
    void OnDpiChanged(int dpi, const RECT& suggested);
    void Place();
    void FocusFirst();
    void OnActivate(bool active);
    // Frames this push button as the default one and no other.
    void FrameDefaultButton(HWND button);
    HWND KeyboardButton() const;
    void Detach();

    WindowDescription description_;
    std::span<const ControlRow> table_;
    const std::uint8_t* creationOrder_; // as many entries as the table has rows
    // The order of a table put together at run time.
    std::unique_ptr<std::uint8_t[]> computedOrder_;
    HWND window_ = nullptr;
    std::vector<Built> built_;
    base::unique_hfont defaultFont_;
    base::unique_hfont titleFont_;
    base::unique_hfont dialogFont_;
    int layoutDpi_ = 96;
    HWND lastFocus_ = nullptr;
    HWND disabledOwner_ = nullptr;
};

} // namespace ui
