// A drop-down drawn by the page: WebKitGTK draws a native <select> and its list with the toolkit's look and
// the system's fonts (light grey on white, and no Japanese where the system has no such font).
import { useLayoutEffect, useRef, useState } from 'preact/hooks';
import { MenuCatcher } from './MenuCatcher';

export interface DropDownOption {
  value: string;
  label: string;
}

export function DropDown(props: { value: string; options: readonly DropDownOption[]; onChange: (value: string) => void; testid?: string; title?: string; class?: string; disabled?: boolean }) {
  const [open, setOpen] = useState<null | 'down' | 'up'>(null);
  const list = useRef<HTMLDivElement>(null);
  const current = props.options.find((o) => o.value === props.value);
  // The list opens below; when it does not fit there and there is more room above, it opens above.
  useLayoutEffect(() => {
    const el = list.current;
    if (open !== 'down' || !el) return;
    const r = el.getBoundingClientRect();
    const anchor = el.parentElement!.getBoundingClientRect();
    if (r.bottom > window.innerHeight && anchor.top > window.innerHeight - anchor.bottom) setOpen('up');
  }, [open]);
  const toggle = () => setOpen(open ? null : 'down');
  const pick = (value: string) => {
    setOpen(null);
    if (value !== props.value) props.onChange(value);
  };
  return (
    <span class={'dropdown menu-anchor' + (props.class ? ' ' + props.class : '')} data-testid={props.testid} data-value={props.value}>
      <button type="button" class="dropdown-button" disabled={props.disabled} title={open ? undefined : props.title} onClick={toggle}>
        <span class="dropdown-label">{current?.label ?? ''}</span>
      </button>
      {open && (
        <>
          <MenuCatcher onClose={() => setOpen(null)} />
          <div ref={list} class={'drop-menu dropdown-list' + (open === 'up' ? ' up' : '')} role="listbox">
            {props.options.map((o) => (
              <button key={o.value} type="button" role="option" data-value={o.value} class={'menu-item' + (o.value === props.value ? ' on' : '')} onClick={() => pick(o.value)}>
                {o.label}
              </button>
            ))}
          </div>
        </>
      )}
    </span>
  );
}
