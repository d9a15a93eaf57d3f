#pragma once
// Sets (or, given nullptr, removes) an environment variable for one scope.

#include <QByteArray>
#include <QtGlobal>

namespace torvel::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedVariable() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace torvel::test
