#pragma once
// The application: one instance at a time, living inside its main window's run.

class CLarkspanApp {
public:
    CLarkspanApp();
    // Runs the whole program; false tells the caller to end the process.
    bool InitInstance();

    unsigned restartFlags() const { return restartFlags_; }

private:
    unsigned restartFlags_ = 0;
};

extern CLarkspanApp theApp;
