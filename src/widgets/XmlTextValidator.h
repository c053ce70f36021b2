#pragma once

#include <QValidator>

// Keeps out of an edit field, typed or pasted, every character an XML file cannot hold; the
// rest of a pasted text is taken.
class XmlTextValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
