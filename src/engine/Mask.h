#pragma once

#include <QString>

#include <vector>

// A compiled whole-name wildcard pattern: '*', '?', sets "[a-c]" and "[!a]".
// Letters a-z of the mask and of the tested name are folded to A-Z; nothing else
// is folded. Compiling raises EKestrovaError "'%s' is an invalid mask at (%d)".
// Matching never goes exponential, whatever the mask.
class TMask {
public:
    explicit TMask(const QString& mask);
    virtual ~TMask();

    bool Matches(const QString& name) const;

private:
    struct Element;
    std::vector<Element> m_elements;
};
