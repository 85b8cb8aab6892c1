#pragma once

#include <QCloseEvent>
#include <QPointer>

// The lifecycle every window of the program follows: created hidden on first
// use, at most one at a time, keeping its state while hidden, and destroyed
// when closed, so that a later use builds it anew from its initial layout.

// Base for the program's windows: closing one (close box, close()) destroys it.
template <class Base>
class Window : public Base
{
public:
    using Base::Base;
    // True from the moment the window was closed until it is deleted.
    bool isClosed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent *e) override
    {
        Base::closeEvent(e);
        if (e->isAccepted() && !m_closed) {
            m_closed = true;
            this->hide();
            this->deleteLater();
        }
    }

private:
    bool m_closed = false;
};

// The one instance of window T: get() creates it, hidden, on first use and
// again after it was closed.
template <class T>
class WindowSlot
{
public:
    T *get()
    {
        if (!exists())
            m_window = new T();
        return m_window.data();
    }
    bool exists() const { return m_window && !m_window->isClosed(); }
    // The window, or nullptr when it does not exist.
    T *ifExists() const { return exists() ? m_window.data() : nullptr; }
    // Closes (destroys) the window if it exists.
    void close()
    {
        if (T *w = ifExists())
            w->close();
    }

private:
    QPointer<T> m_window;
};
