// What the window's pages and the overlay pages do alike with one line: its markup made a
// list item, with scripts kept out and zero-width emotes stacked on their base.
"use strict";

var KestroLine = {
    // The services' own style sheets the lines' classes refer to: GoodGame's channel icons.
    serviceStyles: ["https://static.goodgame.ru/css/compiled/channels_icons.css"],

    addServiceStyles: function () {
        this.serviceStyles.forEach(function (address) {
            var sheet = document.createElement("link");
            sheet.rel = "stylesheet";
            sheet.type = "text/css";
            sheet.href = address + "?" + Date.now();
            document.head.appendChild(sheet);
        });
    },

    item: function (html) {
        var item = document.createElement("li");
        item.innerHTML = String(html).replace(/<script[^>]*>/g, "");
        this.stackZeroWidth(item);
        return item;
    },

    // A zero-width emote is drawn over the emote before it: both go into one stack, so the
    // line keeps the width of the base emote whatever the sizes.
    stackZeroWidth: function (item) {
        var layers = item.querySelectorAll("img.zero-width");
        for (var i = 0; i < layers.length; ++i) {
            var base = layers[i].previousElementSibling;
            if (!base)
                continue;
            if (!base.classList.contains("emote-stack")) {
                if (base.tagName !== "IMG" || !base.classList.contains("emote"))
                    continue;
                var stack = document.createElement("span");
                stack.className = "emote-stack";
                base.parentNode.insertBefore(stack, base);
                stack.appendChild(base);
                base = stack;
            }
            base.appendChild(layers[i]);
        }
    }
};
