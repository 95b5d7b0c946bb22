#pragma once

#include <QString>

class Page;
class Utils;

// A colour as the colour dialogs give it: components from 0 to 1.
struct Rgb {
    qreal red = 0;
    qreal green = 0;
    qreal blue = 0;
};

// How the chat looks by the settings: colours as CSS, the addressed lines' rule, and which
// texts address the streamer.
QString convertToCSS(const Rgb &clr);
QString buildCustomCSS(const Utils &settings);
bool isAddressedText(const Utils &settings, const QString &text);
// The chat page takes the view settings: colours, font, size, animation and the custom CSS.
void sendChatStyle(const Utils &settings, Page &chatView);
