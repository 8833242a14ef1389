// @ts-check
// Small helpers to build the pages' elements.

/**
 * @typedef {{class?: string, text?: string, title?: string, href?: string, style?: string,
 *   attrs?: Record<string, string>, on?: Record<string, (event: Event) => void>}} Props
 * @typedef {Node | string | null | undefined | false} Child
 */

/**
 * An element with its properties and children.
 * @template {keyof HTMLElementTagNameMap} K
 * @param {K} tag
 * @param {Props} [props]
 * @param {Child[]} [children]
 * @returns {HTMLElementTagNameMap[K]}
 */
export function h(tag, props = {}, children = []) {
  const element = document.createElement(tag);
  if (props.class) element.className = props.class;
  if (props.text !== undefined) element.textContent = props.text;
  if (props.title) element.title = props.title;
  if (props.href) element.setAttribute('href', props.href);
  if (props.style) element.setAttribute('style', props.style);
  for (const [name, value] of Object.entries(props.attrs ?? {})) element.setAttribute(name, value);
  for (const [name, listener] of Object.entries(props.on ?? {})) element.addEventListener(name, listener);
  append(element, children);
  return element;
}

/**
 * @param {Element} parent
 * @param {Child[]} children
 */
export function append(parent, children) {
  for (const child of children) {
    if (child === null || child === undefined || child === false) continue;
    parent.append(child);
  }
}

/**
 * Replaces the children of `parent`.
 * @param {Element} parent
 * @param {Child[]} children
 */
export function replace(parent, children) {
  parent.replaceChildren();
  append(parent, children);
}

/**
 * The element with this id; the page is broken without it.
 * @param {string} id
 * @returns {HTMLElement}
 */
export function byId(id) {
  const element = document.getElementById(id);
  if (!element) throw new Error(`#${id} is missing from the page`);
  return element;
}

/** Resolves after the next two frames: what was rendered has been painted. */
export function painted() {
  return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() => resolve(undefined))));
}
