// @ts-check
// How the pages word numbers, dates and names.

/** @param {number} bytes */
export function bytes(bytes) {
  if (bytes >= 1e9) return `${(bytes / 1e9).toFixed(1)} GB`;
  return `${Math.round(bytes / 1e6)} MB`;
}

/** "2025-09-01" as "1 Sep 2025". @param {string} isoDate */
export function date(isoDate) {
  const parsed = new Date(`${isoDate}T00:00:00`);
  if (Number.isNaN(parsed.getTime())) return isoDate;
  return parsed.toLocaleDateString('en-GB', { day: 'numeric', month: 'short', year: 'numeric' });
}

/** @param {string} name */
export function initials(name) {
  return name.split(/\s+/).filter(Boolean).slice(0, 2).map((part) => part[0]).join('').toUpperCase();
}

/** A game cover's background. @param {string[]} palette */
export function cover(palette) {
  return `background: radial-gradient(circle at 80% 20%, ${palette[1]}aa, transparent 60%),
    linear-gradient(135deg, ${palette[0]}, ${palette[1]});`;
}
