// Continuous mode sequence and the watchdog keep-alive.

#include "shell/Form1.h"

namespace zmx {

void Form1::toggleContinuous() {}
void Form1::continuousStep() {}
void Form1::evaluateKeepAlive() {}
void Form1::keepAliveTick() {}
void Form1::sendKeepAlivePoll() {}
void Form1::readbackPrompt() {}
void Form1::placeBanner() {}
void Form1::makeDatalogStamp() {}

}  // namespace zmx
