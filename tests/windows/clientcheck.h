// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_WINDOWS_CLIENTCHECK_H_
#define TESTS_WINDOWS_CLIENTCHECK_H_

// What the Windows clients share: checks that count failures and print one
// line each, and the system's COM types held by scope. The clients know the
// plug-in and the host's server only through the registered type libraries
// and the C headers widl writes from the IDL, as any other client would.

#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <string>

namespace client {

// Prints "ok: what" or "FAIL: what" and counts the failures.
bool check(bool ok, const std::string& what);
int failures();

std::string utf8(const wchar_t* text);
std::string hex(HRESULT status);

// A reference to a COM interface, released at the end of its scope.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (m_p) m_p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** put() {
        if (m_p) m_p->Release();
        m_p = nullptr;
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// A BSTR freed at the end of its scope.
class Text {
public:
    Text() = default;
    explicit Text(const wchar_t* text) : m_text(SysAllocString(text)) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(m_text); }
    BSTR get() const { return m_text; }
    BSTR* put() {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    std::string utf8() const { return client::utf8(m_text ? m_text : L""); }

private:
    BSTR m_text = nullptr;
};

// The description in the thread's error info, or "" when there is none.
std::string errorDescription();

}  // namespace client

#endif  // TESTS_WINDOWS_CLIENTCHECK_H_
