'use strict';
// Keeps every file of the page, so that the game, once loaded, plays with the network gone. Each
// version keeps its files in a cache of its own and serves every page it controls from it alone; a
// new version fills its cache whole before it takes over, once no page of the old one is open, and
// then the old cache goes. A page never mixes the files of two versions.
const cacheName = 'bexum-asteroids-@PROJECT_VERSION@';
const files = [@ASTEROIDS_PAGE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files)));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) =>
    Promise.all(names.filter((name) => name !== cacheName).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept ?? fetch(event.request)));
});
