#pragma once

/// The OpenWorks message handlers (registered with OhnoAddErrorHandler). A
/// forwarded message goes to the event bus with draw type 0 as the code in
/// decimal, " : " and the text.
namespace owmessages
{

/// Forwards only messages whose code is above 200000000 (errors).
void quietHandler(int* code, const char* text);
/// Forwards every message.
void verboseHandler(int* code, const char* text);

/// Registers the quiet or the verbose handler.
void install(bool verbose);
/// Registers no handler.
void uninstall();

} // namespace owmessages
