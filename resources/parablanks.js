// Paragraph spacing for book pages read offline: marks empty paragraphs so the style sheets
// can collapse them.
(function () {
  var paragraphs = document.getElementsByTagName("p");
  for (var i = 0; i < paragraphs.length; i++) {
    if (!paragraphs[i].textContent.replace(/\s+/g, "")) paragraphs[i].className += " blank";
  }
})();
