#pragma once

#include <string>

// Adds a printer on the given port to the spooler, with Wine's PostScript
// driver; false (and the last error) if the spooler refuses.
bool AddSpoolerPrinter(const std::string& name, const std::string& port);

// A printer added to the spooler for one test, on the given port, and
// deleted again when the object goes.
class TestPrinter {
public:
    TestPrinter(const std::string& name, const std::string& port);
    ~TestPrinter();

    bool Added() const { return m_bAdded; }
    bool MoveToPort(const std::string& port);
    void Delete();

private:
    std::string m_name;
    bool m_bAdded;
};
