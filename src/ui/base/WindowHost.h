#pragma once

#include "ui/base/Form.h"

#include <QPointer>
#include <map>
#include <typeindex>
#include <utility>
#include <vector>

class AppContext;

// Owns the program's windows: at most one of each kind, loaded on demand.
// Ending the program hides every window without running its unload handling.
class WindowHost
{
public:
    // Gives every window of the application the program's icon and a visible focus mark.
    explicit WindowHost(AppContext &context);
    ~WindowHost();
    WindowHost(const WindowHost &) = delete;
    WindowHost &operator=(const WindowHost &) = delete;

    // Creates the window with what it needs to know and runs its Form_Load,
    // unless it is loaded already. Null once the program has ended, or when the
    // window unloaded itself while loading.
    template <class W, class... Inputs> W *Load(Inputs &&...inputs)
    {
        if (m_ended)
            return nullptr;
        if (W *existing = Find<W>())
            return existing;
        auto *window = new W(m_ctx, std::forward<Inputs>(inputs)...);
        adopt(typeid(W), window);
        window->Form_Load();
        return Find<W>();
    }

    // Loads the window if needed, then shows it modeless and brings it forward.
    template <class W, class... Inputs> W *Show(Inputs &&...inputs)
    {
        W *window = Load<W>(std::forward<Inputs>(inputs)...);
        Show(window);
        return window;
    }

    // Shows a loaded window modeless and brings it forward.
    void Show(Form *window);

    template <class W> W *Find() const
    {
        const auto it = m_windows.find(typeid(W));
        return it == m_windows.end() ? nullptr : static_cast<W *>(it->second.data());
    }

    template <class W> bool IsLoaded() const { return Find<W>() != nullptr; }
    template <class W> bool IsShown() const
    {
        const W *window = Find<W>();
        return window && window->isVisible();
    }

    template <class W> void Unload()
    {
        if (W *window = Find<W>())
            Unload(window);
    }
    void Unload(Form *window);

    // The window whose load opens the vault; the password dialog keeps it hidden.
    void setMainWindow(Form *window) { m_mainWindow = window; }
    Form *mainWindow() const { return m_mainWindow.data(); }

    // Every window on screen comes forward: a second start of the program asked for it.
    void BringShownForward();
    // A lock hides every window on screen; asked to show meanwhile, they wait,
    // and unlocking brings them back where they were, the main window first.
    void hideForLock();
    void showAfterLock();

    // With status 1 when the program could not do its work.
    void EndProgram(int exitStatus = 0);

private:
    void adopt(std::type_index type, Form *window);
    bool isHiddenForLock(const Form *window) const;
    void bringForward(Form *window);

    AppContext &m_ctx;
    std::map<std::type_index, QPointer<Form>> m_windows;
    QPointer<Form> m_mainWindow;
    std::vector<QPointer<Form>> m_hiddenForLock;
    QPointer<QWidget> m_activeAtLock;
    bool m_ended = false;
};
