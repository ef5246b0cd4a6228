#pragma once

#include <QString>
#include <vector>

// A compiled whole-name wildcard pattern: '*', '?', sets "[a-c]" and "[!a]".
// Letters a-z of the mask and of the tested name are folded to A-Z; nothing else
// is folded. Compiling raises EKestrovaError "'%s' is an invalid mask at (%d)".
// Matching never goes exponential, whatever the mask: it costs at most
// (name length x element count) steps.
// A compiled mask is immutable, so one instance may be matched from several threads.
class TMask {
public:
    explicit TMask(const QString& mask);
    TMask(const TMask& other);
    TMask(TMask&& other) noexcept;
    TMask& operator=(const TMask& other);
    TMask& operator=(TMask&& other) noexcept;
    virtual ~TMask();

    virtual bool Matches(const QString& name) const;

protected:
    // Compiles `pattern` but names `shownText` in the invalid-mask message, for
    // subclasses that compile a transformed copy of what the user typed.
    TMask(const QString& pattern, const QString& shownText);

private:
    struct Element;
    class Compiler;
    std::vector<Element> m_elements;
};
