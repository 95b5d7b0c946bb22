// What the window's pages and the overlay pages do alike with one line: its markup made a
// list item, with scripts kept out and zero-width emotes stacked on their base.
"use strict";

var KestroLine = {
    // The addresses of images that failed to load, with when: later lines do not ask them again
    // for a minute and show them by their alt text at once (a busy chat on a machine that cannot reach
    // an emote host would otherwise try every line's emotes anew).
    failedImages: {},
    failedForMs: 60000,

    noteFailure: function (event) {
        var image = event.target;
        if (!image || image.tagName !== "IMG")
            return;
        var address = image.getAttribute("src");
        if (address)
            KestroLine.failedImages[address] = Date.now();
    },

    failedRecently: function (address) {
        var at = this.failedImages[address];
        if (at === undefined)
            return false;
        if (Date.now() - at < this.failedForMs)
            return true;
        delete this.failedImages[address];
        return false;
    },

    // The services' style sheets the lines' classes refer to, as the program names them: a
    // service's own look ("looks/<id>/…", beside the page) or its site's. Each is linked once;
    // a site's sheet with the time as its query, so its icons are never an old copy.
    addServiceStyles: function (addresses) {
        (addresses || []).forEach(function (address) {
            address = String(address);
            if (document.head.querySelector('link[data-look="' + CSS.escape(address) + '"]'))
                return;
            var sheet = document.createElement("link");
            sheet.rel = "stylesheet";
            sheet.type = "text/css";
            sheet.dataset.look = address;
            sheet.href = /^https:/.test(address) ? address + "?" + Date.now() : address;
            document.head.appendChild(sheet);
        });
    },

    // The presenter's markup of one line as a list item, scripts kept out; an alert in the
    // chat is framed apart from the chat lines.
    // The markup is parsed inert first, so that no image is asked for before it is checked.
    item: function (html, alert) {
        var parsed = document.createElement("template");
        var markup = String(html).replace(/<script[^>]*>/g, "");
        parsed.innerHTML = alert ? '<div class="alert">' + markup + "</div>" : markup;
        var images = parsed.content.querySelectorAll("img[src]");
        for (var i = 0; i < images.length; ++i) {
            if (this.failedRecently(images[i].getAttribute("src")))
                images[i].removeAttribute("src");
        }
        var item = document.createElement("li");
        item.appendChild(parsed.content);
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

// Image errors do not bubble: one listener catches them all on their way down.
document.addEventListener("error", KestroLine.noteFailure, true);
