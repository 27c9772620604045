#include "demo_data.h"

namespace marksafe_cli {

const std::vector<DemoBookmark>& DemoFavorites() {
  static const std::vector<DemoBookmark> kList = {
      {"", "Wikipedia, the free encyclopedia", "https://www.wikipedia.org/"},
      {"", "MSN", "https://www.msn.com/"},
      {"News", "BBC News - World", "https://www.bbc.com/news/world"},
      {"News", "Le Monde – Actualités", "https://www.lemonde.fr/"},
      {"News", "Süddeutsche Zeitung", "https://www.sueddeutsche.de/"},
      {"News/Asia", "NHK ニュース", "https://www3.nhk.or.jp/news/"},
      {"News/Asia", "東京の天気 - tenki.jp", "https://tenki.jp/forecast/3/16/"},
      {"Travel", "Deutsche Bahn", "https://www.bahn.de/"},
      {"Travel", "SNCF Connect", "https://www.sncf-connect.com/"},
      {"Travel/Ελλάδα", "Μουσείο Ακρόπολης",
       "https://www.theacropolismuseum.gr/"},
      {"Travel/Ελλάδα", "Ferries to the islands",
       "https://www.ferryhopper.com/"},
      {"Banking", "Online banking", "https://www.example-bank.com/login"},
      {"Banking", "Steuererklärung – ELSTER", "https://www.elster.de/"},
  };
  return kList;
}

const std::vector<DemoBookmark>& DemoFirefoxMenu() {
  static const std::vector<DemoBookmark> kList = {
      {"", "Recently Bookmarked",
       "place:folder=BOOKMARKS_MENU&queryType=1&sort=12&maxResults=10"},
      {"", "Recent Tags", "place:type=6&sort=14&maxResults=10"},
      {"", "Mozilla Support", "https://support.mozilla.org/"},
      {"Recipes", "Crème brûlée – Marmiton",
       "https://www.marmiton.org/recettes/creme-brulee.aspx"},
      {"Recipes", "Paella valenciana", "https://www.example.es/paella"},
      {"Recipes/Baking", "Königsberger Klopse",
       "https://www.chefkoch.de/rezepte/klopse.html"},
      {"Recipes/Baking", "Sourdough starter guide",
       "https://www.kingarthurbaking.com/sourdough"},
      {"Dev", "cppreference.com", "https://en.cppreference.com/"},
      {"Dev", "SQLite Documentation", "https://www.sqlite.org/docs.html"},
      {"Dev", "Stack Overflow", "https://stackoverflow.com/"},
      {"Dev/Rust", "The Rust Programming Language",
       "https://doc.rust-lang.org/book/"},
      {"Dev/Rust", "crates.io", "https://crates.io/"},
  };
  return kList;
}

const std::vector<DemoBookmark>& DemoFirefoxUnsorted() {
  static const std::vector<DemoBookmark> kList = {
      {"", "Шахматы онлайн – lichess", "https://lichess.org/"},
      {"", "🎵 Radio Paradise", "https://radioparadise.com/"},
      {"Read later", "Why SQLite uses bytecode",
       "https://sqlite.org/whybytecode.html"},
      {"Read later", "Ein Leitfaden für Äpfel & Birnen",
       "https://www.example.de/aepfel-birnen"},
  };
  return kList;
}

const std::vector<DemoBookmark>& DemoFirefoxToolbar() {
  static const std::vector<DemoBookmark> kList = {
      {"", "Most Visited", "place:sort=8&maxResults=10"},
      {"", "Getting Started", "https://www.mozilla.org/firefox/central/"},
  };
  return kList;
}

const std::vector<DemoBookmark>& DemoChromeBar() {
  static const std::vector<DemoBookmark> kList = {
      {"", "Gmail", "https://mail.google.com/"},
      {"", "YouTube", "https://www.youtube.com/"},
      {"Work", "Sprint board", "https://example.atlassian.net/board"},
      {"Work", "Confluence – Team space", "https://example.atlassian.net/wiki"},
      {"Work/Reports", "Q3 report (draft)",
       "https://docs.google.com/document/d/1q3"},
      {"Music", "Bandcamp", "https://bandcamp.com/"},
      {"Music", "Björk – Official site", "https://www.bjork.com/"},
  };
  return kList;
}

const std::vector<DemoBookmark>& DemoChromeOther() {
  static const std::vector<DemoBookmark> kList = {
      {"", "네이버 뉴스", "https://news.naver.com/"},
      {"", "Tagesschau: Nachrichten", "https://www.tagesschau.de/"},
      {"Shopping", "Amazon.de", "https://www.amazon.de/"},
      {"Shopping", "Zalando – Schuhe", "https://www.zalando.de/"},
      {"Shopping/Electrónica", "Cámaras réflex",
       "https://www.example.es/camaras"},
  };
  return kList;
}

}  // namespace marksafe_cli
