#pragma once

#include <QString>
#include <QStringList>

namespace zarvo {

enum TBrowserState
{
    gwMaximized = 0,
    gwNormal = 1
};

// Starts the user's default web browser on an address. The browser is the desktop's default
// application for web addresses (then for HTML files), taken from its desktop entry's Exec line.
class TGoToWeb
{
public:
    // The address Execute hands to the browser; set before every start.
    QString Url;
    // Kept for the callers that set it; a window manager decides how a new browser window
    // opens, and no browser command line takes a show state, so it changes nothing here.
    TBrowserState BrowserState = gwNormal;

    // True when the default browser's program exists.
    bool IsAnyBrowser();
    // Starts the browser with its own parameters and then Url as one argument; true when it
    // started. Url must be an absolute address with a scheme, or a host name ("http://" is put
    // in front); anything else, and anything that starts with "-", starts nothing.
    bool Execute();
    // The browser's program: the first word of its Exec line, found on PATH unless it is an
    // absolute path; empty when no default browser is recorded or its program is not found.
    // Also computes BrowserParameters().
    QString BrowserPath();
    // The rest of the Exec line with the field codes taken out, as BrowserPath last found it.
    const QStringList& BrowserParameters() const { return m_parameters; }

private:
    QStringList m_parameters;
};

} // namespace zarvo
