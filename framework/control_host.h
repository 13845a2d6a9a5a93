// Hosting of ActiveX controls (the web-browser control of the banner) in
// dialogs. EnableControlHosting is called once at start-up.
#pragma once

void EnableControlHosting();
// True once EnableControlHosting has run.
bool ControlHostingEnabled();
